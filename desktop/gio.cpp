#include "gio.h"

#include <dlfcn.h>
#include <type_traits>

const Gio* gio()
{
    static const Gio* loaded = []() -> const Gio* {
        void* library = dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return nullptr;
        static Gio functions;
        bool all = true;
        const auto find = [&](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
            all = all && function;
        };
#define QUAYLINK_GIO_FIND(name) find(functions.name, #name);
        QUAYLINK_GIO_FUNCTIONS(QUAYLINK_GIO_FIND)
#undef QUAYLINK_GIO_FIND
        // GIO stays loaded: the types it registers cannot be unloaded.
        return all ? &functions : nullptr;
    }();
    return loaded;
}
