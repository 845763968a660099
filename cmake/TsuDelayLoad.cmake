# tsu_delay_load_import(<target> <library>): an interface target that links <library>.dll through
# the delay-load helper instead of the import table. Such a library is loaded at its first use, by
# then the programs have limited library search to the system folder, so a file of that name
# placed beside the tool (or in the folder it was started from) is never loaded. The delay-load
# import library is made from the toolchain's own import library.
function(tsu_delay_load_import target library)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${library}.a
        OUTPUT_VARIABLE import OUTPUT_STRIP_TRAILING_WHITESPACE)
    execute_process(COMMAND ${CMAKE_NM} -g --defined-only ${import}
        OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR NOT symbols)
        message(FATAL_ERROR "cannot read the exports of ${import}")
    endif()
    # "<address> T <name>" lines are the entry points; 32-bit names carry the leading underscore
    # of the stdcall decoration, which the definition file leaves out.
    string(REGEX MATCHALL "[0-9a-f]+ T [^\n]+" entries "${symbols}")
    set(def "LIBRARY ${library}.dll\nEXPORTS\n")
    foreach(entry IN LISTS entries)
        string(REGEX REPLACE "^[0-9a-f]+ T _?" "" name "${entry}")
        string(APPEND def "${name}\n")
    endforeach()
    set(dir ${CMAKE_BINARY_DIR}/delayload)
    file(WRITE ${dir}/${library}.def "${def}")
    set(kill_at "")
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(kill_at --kill-at) # the DLL exports the undecorated names
    endif()
    execute_process(COMMAND ${CMAKE_DLLTOOL} ${kill_at} --input-def ${dir}/${library}.def
        --dllname ${library}.dll --output-delaylib ${dir}/lib${library}_delay.a RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "dlltool could not make the delay-load library of ${library}.dll")
    endif()
    # The import library stays behind it for the data it defines itself (GDI+'s format GUIDs); its
    # entry points are already taken from the delay-load library.
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE ${dir}/lib${library}_delay.a delayimp ${library})
endfunction()
