// WebAssembly under WASI preview 1 has no unwinding, and Debian's WebAssembly C++ runtime no
// exception support: a throw ends the module, as an exception that nothing catches ends a
// program (std::terminate). Nothing in the program throws on any path its callers take.
#include <cstddef>
#include <cstdlib>

extern "C" {

void* __cxa_allocate_exception(std::size_t) noexcept {
    std::abort();
}

[[noreturn]] void __cxa_throw(void*, void*, void (*)(void*)) {
    std::abort();
}

}  // extern "C"
