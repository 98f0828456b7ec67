// COM on the calling thread for as long as an owner lives (the shell's folder chooser needs it).
#pragma once

#include <objbase.h>

#include <utility>

class ComInitialization {
public:
    ComInitialization() : m_bInitialized(SUCCEEDED(CoInitialize(nullptr))) {}
    ComInitialization(ComInitialization&& other) noexcept
        : m_bInitialized(std::exchange(other.m_bInitialized, false)) {}
    ComInitialization& operator=(ComInitialization&& other) noexcept {
        std::swap(m_bInitialized, other.m_bInitialized);
        return *this;
    }
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;
    // Every successful CoInitialize, S_FALSE included, is balanced by one CoUninitialize.
    ~ComInitialization() {
        if (m_bInitialized) {
            CoUninitialize();
        }
    }

private:
    bool m_bInitialized;
};
