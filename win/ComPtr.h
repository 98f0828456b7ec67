// A move-only owner of one COM interface pointer: released once, when the owner goes.
#pragma once

#include "win/Handles.h"

namespace win {

template <class Interface> struct ComTraits {
    using Handle = Interface*;
    static Interface* invalid() { return nullptr; }
    static void close(Interface* object) { object->Release(); }
};

template <class Interface> using ComPtr = UniqueHandle<ComTraits<Interface>>;

} // namespace win
