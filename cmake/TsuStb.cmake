# stb_image_write / stb_image (Debian libstb-dev): header-only, compiled by whichever compiler
# builds the including file. Only their own folder goes on the include path: /usr/include itself
# holds the build machine's C library headers, which the cross compilers must never see.
find_path(TSU_STB_INCLUDE_DIR NAMES stb_image_write.h stb_image.h
    PATHS /usr/include/stb
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT TSU_STB_INCLUDE_DIR)
    message(FATAL_ERROR "stb_image_write.h not found in /usr/include/stb (install libstb-dev)")
endif()

# tsu_use_stb(<source>): the one file that compiles the stb implementation. The headers count as
# system headers there, so their own warnings stay out of the build.
function(tsu_use_stb source)
    set_property(SOURCE ${source} APPEND PROPERTY COMPILE_OPTIONS "-isystem${TSU_STB_INCLUDE_DIR}")
endfunction()
