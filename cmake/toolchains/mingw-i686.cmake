# Cross-builds for 32-bit Windows with mingw-w64. The posix thread model, because the win32 one
# has no std::mutex or std::thread, which GoogleTest and the code need. Programs and DLLs link the
# GCC runtime statically, so nothing but system DLLs and our own is needed beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(TB_MINGW_TARGET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${TB_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TB_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${TB_MINGW_TARGET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TB_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
