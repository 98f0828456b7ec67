// Move-only owners of Win32 handles, one type per handle kind.
#pragma once

#include <windows.h>

#include <utility>

namespace win {

// Owns a handle of one kind; Traits says what "no handle" is and how to close one.
template <class Traits> class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::invalid(); }

    Handle release() { return std::exchange(handle_, Traits::invalid()); }
    void reset(Handle handle = Traits::invalid()) {
        if (handle_ != Traits::invalid()) {
            Traits::close(handle_);
        }
        handle_ = handle;
    }
    // For calls that hand a new handle back through a pointer.
    Handle* receive() {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Traits::invalid();
};

struct RegKeyTraits {
    using Handle = HKEY;
    static HKEY invalid() { return nullptr; }
    static void close(HKEY key) { RegCloseKey(key); }
};

struct FileTraits {
    using Handle = HANDLE;
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE file) { CloseHandle(file); }
};

struct FindTraits {
    using Handle = HANDLE;
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE find) { FindClose(find); }
};

struct ModuleTraits {
    using Handle = HMODULE;
    static HMODULE invalid() { return nullptr; }
    static void close(HMODULE module) { FreeLibrary(module); }
};

// Process, thread, event and other kernel objects whose "no handle" is null.
struct KernelTraits {
    using Handle = HANDLE;
    static HANDLE invalid() { return nullptr; }
    static void close(HANDLE handle) { CloseHandle(handle); }
};

// Memory that a call hands back for LocalFree, such as an access list or a security descriptor.
struct LocalMemoryTraits {
    using Handle = HLOCAL;
    static HLOCAL invalid() { return nullptr; }
    static void close(HLOCAL memory) { LocalFree(memory); }
};

// A GDI object of one kind (font, bitmap, brush).
template <class Object> struct GdiObjectTraits {
    using Handle = Object;
    static Object invalid() { return nullptr; }
    static void close(Object object) { DeleteObject(object); }
};

using RegKey = UniqueHandle<RegKeyTraits>;
using File = UniqueHandle<FileTraits>;
using FindHandle = UniqueHandle<FindTraits>;
using Module = UniqueHandle<ModuleTraits>;
using KernelHandle = UniqueHandle<KernelTraits>;
using LocalMemory = UniqueHandle<LocalMemoryTraits>;

// An export of a loaded library as a function of its own type; null when the library has none.
template <class Function> Function ProcAddress(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// A started process and its main thread.
struct Process {
    KernelHandle process;
    KernelHandle thread;
};

} // namespace win
