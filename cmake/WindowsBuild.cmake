# What the Windows build needs beyond the toolchain: libxml2 cross-built from the distribution's
# source package, GoogleTest built with the same toolchain, import libraries for the host
# libraries this build does not make, and Wine to run the tests.

set(TB_DEPS_DIR ${CMAKE_BINARY_DIR}/deps)
execute_process(
    COMMAND bash ${PROJECT_SOURCE_DIR}/tools/build-windows-deps.sh ${CMAKE_TOOLCHAIN_FILE}
            ${TB_DEPS_DIR} libxml2
    RESULT_VARIABLE tb_deps_result)
if(NOT tb_deps_result EQUAL 0)
    message(FATAL_ERROR "the cross-built libraries could not be made (see above)")
endif()
find_package(LibXml2 REQUIRED CONFIG
    PATHS ${TB_DEPS_DIR}/libxml2/install NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)

find_program(TB_DLLTOOL ${TB_MINGW_TARGET}-dlltool REQUIRED)
find_program(TB_OBJDUMP ${TB_MINGW_TARGET}-objdump REQUIRED)

# An import library for `name`.dll from its .def file, for a host library this build does not
# make: the module links against it as against the host's own. Gives the target `name`_imports.
function(tb_import_library name def_file)
    set(library ${CMAKE_BINARY_DIR}/imports/lib${name}.dll.a)
    add_custom_command(OUTPUT ${library}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/imports
        COMMAND ${TB_DLLTOOL} --kill-at --input-def ${def_file} --dllname ${name}.dll
                --output-lib ${library}
        DEPENDS ${def_file}
        VERBATIM)
    add_custom_target(${name}_import_library DEPENDS ${library})
    add_library(${name}_imports INTERFACE)
    target_link_libraries(${name}_imports INTERFACE ${library})
    add_dependencies(${name}_imports ${name}_import_library)
endfunction()

if(TB_BUILD_TESTS)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    # Its targets come with the GTest:: names the tests link.
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

    # Every test program runs under Wine, in a prefix of this build tree, without a display and
    # without the .NET and HTML engines a fresh prefix would offer to install.
    find_program(TB_WINE wine REQUIRED)
    find_program(TB_WINESERVER wineserver REQUIRED)
    find_program(TB_WINEBOOT wineboot REQUIRED)
    set(TB_WINE_ENVIRONMENT
        WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix
        WINEDEBUG=-all
        WINEDLLOVERRIDES=mscoree,mshtml=)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        ${CMAKE_COMMAND} -E env --unset=DISPLAY ${TB_WINE_ENVIRONMENT} ${TB_WINE})
endif()
