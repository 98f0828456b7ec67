// COM on the calling thread for as long as an owner lives (the shell's folder chooser needs it).
#pragma once

#include <objbase.h>

#include <utility>

class ComInitialization {
public:
    ComInitialization() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
    ComInitialization(ComInitialization&& other) noexcept
        : initialised_(std::exchange(other.initialised_, false)) {}
    ComInitialization& operator=(ComInitialization&& other) noexcept {
        std::swap(initialised_, other.initialised_);
        return *this;
    }
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;
    // Every successful CoInitialize, S_FALSE included, is balanced by one CoUninitialize.
    ~ComInitialization() {
        if (initialised_) {
            CoUninitialize();
        }
    }

private:
    bool initialised_;
};
