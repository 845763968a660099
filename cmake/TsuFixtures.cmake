# Real installers built for tests: NSIS programs (64-bit stubs, silent) and MSI packages (wixl).
# The outputs land in <build>/fixtures/; tests find them through TSU_TEST_BIN_DIR\..\fixtures.

set(TSU_FIXTURE_DIR ${CMAKE_BINARY_DIR}/fixtures)
set(TSU_FIXTURE_SOURCES ${CMAKE_SOURCE_DIR}/tests/fixtures)
find_program(TSU_MAKENSIS makensis)
find_program(TSU_WIXL wixl)

# tsu_nsis_fixture(<target> APPNAME <name> APPKEY <key> [ABORT_UNINSTALL] [NO_ESTIMATED_SIZE] [SHORTCUTS]
#                  [ICON <.ico>] [SIZE_KB <n>] [REFUSE_UNLESS_SILENT])
# builds fixtures/<target>.exe; add the target as a dependency of the test that uses it.
function(tsu_nsis_fixture target)
    cmake_parse_arguments(F "ABORT_UNINSTALL;NO_ESTIMATED_SIZE;SHORTCUTS;REFUSE_UNLESS_SILENT"
        "APPNAME;APPKEY;ICON;SIZE_KB" ""
        ${ARGN})
    if(TARGET ${target})
        return()
    endif()
    set(out ${TSU_FIXTURE_DIR}/${target}.exe)
    set(defines "-DOUTFILE=${out}" "-DAPPNAME=${F_APPNAME}" "-DAPPKEY=${F_APPKEY}")
    if(F_ABORT_UNINSTALL)
        list(APPEND defines -DABORT_UNINSTALL)
    endif()
    if(F_NO_ESTIMATED_SIZE)
        list(APPEND defines -DNO_ESTIMATED_SIZE)
    endif()
    if(F_SHORTCUTS)
        list(APPEND defines -DSHORTCUTS)
    endif()
    if(F_ICON)
        list(APPEND defines "-DICON=${F_ICON}")
    endif()
    if(F_SIZE_KB)
        list(APPEND defines "-DESTIMATED_SIZE=${F_SIZE_KB}")
    endif()
    if(F_REFUSE_UNLESS_SILENT)
        list(APPEND defines -DREFUSE_UNLESS_SILENT)
    endif()
    add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${TSU_FIXTURE_DIR}
        COMMAND ${TSU_MAKENSIS} -V1 ${defines} ${TSU_FIXTURE_SOURCES}/SampleApp.nsi
        DEPENDS ${TSU_FIXTURE_SOURCES}/SampleApp.nsi ${F_ICON}
        COMMENT "NSIS fixture ${target}" VERBATIM)
    add_custom_target(${target} DEPENDS ${out})
endfunction()

# tsu_msi_fixture(<target> APPNAME <name> APPKEY <key> PRODUCT_CODE <{GUID}> UPGRADE_CODE <{GUID}>
#                 [SHORTCUTS] [ICON <.ico>])
# builds fixtures/<target>.msi with an icon that only the Installer product carries.
function(tsu_msi_fixture target)
    cmake_parse_arguments(F "SHORTCUTS" "APPNAME;APPKEY;PRODUCT_CODE;UPGRADE_CODE;ICON" "" ${ARGN})
    if(TARGET ${target})
        return()
    endif()
    set(out ${TSU_FIXTURE_DIR}/${target}.msi)
    if(NOT F_ICON)
        set(F_ICON /usr/share/nsis/Contrib/Graphics/Icons/box-install.ico)
    endif()
    get_filename_component(icon_name ${F_ICON} NAME)
    set(extra)
    if(F_SHORTCUTS)
        list(APPEND extra -D Shortcuts=1)
    endif()
    add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${TSU_FIXTURE_DIR}
        # wixl only finds source files by paths relative to the folder it runs in.
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${F_ICON} ${TSU_FIXTURE_SOURCES}/readme.txt ${TSU_FIXTURE_DIR}
        COMMAND ${TSU_WIXL} -a x64 -o ${out}
            -D "ProductCode=${F_PRODUCT_CODE}" -D "UpgradeCode=${F_UPGRADE_CODE}"
            -D "AppName=${F_APPNAME}" -D "AppKey=${F_APPKEY}"
            -D "IconFile=${icon_name}" -D "ReadmeFile=readme.txt" ${extra}
            ${TSU_FIXTURE_SOURCES}/SampleApp.wxs
        WORKING_DIRECTORY ${TSU_FIXTURE_DIR}
        DEPENDS ${TSU_FIXTURE_SOURCES}/SampleApp.wxs
        COMMENT "MSI fixture ${target}" VERBATIM)
    add_custom_target(${target} DEPENDS ${out})
endfunction()
