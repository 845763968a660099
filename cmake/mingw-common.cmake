# The -posix variants give std::thread and std::mutex.
set(CMAKE_C_COMPILER ${TSU_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TSU_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TSU_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TSU_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# No MinGW runtime DLLs have to travel with the programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# CTest runs the cross-built test programs under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
