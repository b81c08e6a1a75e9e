# Cross-compiles for WebAssembly (wasm32-wasip1) with Debian's clang 22, its WebAssembly libc++
# and wasi-libc, and runs the results under node's built-in WASI (scripts/wasi-run.mjs).
# One version of clang, pinned here and in the scripts' package lists.
set(PELMORA_WASI_LLVM_VERSION 22)
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(triple wasm32-wasip1)
set(CMAKE_C_COMPILER clang-${PELMORA_WASI_LLVM_VERSION})
set(CMAKE_CXX_COMPILER clang++-${PELMORA_WASI_LLVM_VERSION})
set(CMAKE_C_COMPILER_TARGET ${triple})
set(CMAKE_CXX_COMPILER_TARGET ${triple})
set(CMAKE_AR llvm-ar-${PELMORA_WASI_LLVM_VERSION})
set(CMAKE_RANLIB llvm-ranlib-${PELMORA_WASI_LLVM_VERSION})

# Debian installs the WASI headers and libraries under the older triple's name (wasm32-wasi),
# where clang 22 looks for them under wasm32-wasip1: a sysroot of two links bridges the names
# without the deprecated triple, whose warning would be an error.
set(sysroot ${CMAKE_BINARY_DIR}/wasi-sysroot)
file(MAKE_DIRECTORY ${sysroot}/include ${sysroot}/lib)
file(CREATE_LINK /usr/include/wasm32-wasi ${sysroot}/include/${triple} SYMBOLIC)
file(CREATE_LINK /usr/lib/wasm32-wasi ${sysroot}/lib/${triple} SYMBOLIC)
set(CMAKE_SYSROOT ${sysroot})

# A module keeps only what it uses.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,--gc-sections")

set(CMAKE_FIND_ROOT_PATH ${sysroot})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# CTest runs every test module under node (Debian 12's, 18, or newer); the site is built
# without it.
find_program(PELMORA_NODE node)
get_filename_component(runner ${CMAKE_CURRENT_LIST_DIR}/../scripts/wasi-run.mjs ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PELMORA_NODE} --no-warnings ${runner})
