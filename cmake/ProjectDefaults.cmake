# Flags every target of the project shares: warnings, sanitizers, visibility.

# Names the sources that differ by platform (file_linux.cpp, file_windows.cpp): link seams, so
# that no preprocessor switch outside platform/ chooses between them.
if(WIN32)
    set(TB_TARGET_SYSTEM windows)
else()
    set(TB_TARGET_SYSTEM linux)
endif()

set(TB_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wold-style-cast
    -Wcast-align -Wunused -Woverloaded-virtual -Wconversion -Wsign-conversion
    -Wnull-dereference -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough)

if(TB_SANITIZE)
    add_compile_options(-fsanitize=${TB_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${TB_SANITIZE})
endif()

# Applies the project's warnings to one of our own targets (never to third-party code).
function(tb_defaults target)
    target_compile_options(${target} PRIVATE ${TB_WARNINGS})
    if(TB_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    set_target_properties(${target} PROPERTIES
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
endfunction()

# A shared library that exports exactly the names listed in its version script.
function(tb_export_only target version_script)
    target_link_options(${target} PRIVATE "LINKER:--version-script=${version_script}")
    # clang links its sanitizer runtimes into the executable only, so an instrumented library
    # leaves their names to be resolved at load time.
    if(NOT (TB_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang"))
        target_link_options(${target} PRIVATE "LINKER:--no-undefined")
    endif()
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${version_script})
endfunction()
