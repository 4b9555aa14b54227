# Shared compile settings and the helpers that declare the project's targets.

# Windows: the wide-character API by default, and no min/max macros from <windows.h>.
if(WIN32)
    add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
endif()

if(MSVC)
    # Visual C++ (not built here; see the README): sources are UTF-8, precise floating point without
    # contractions, the strictest standard mode.
    add_compile_options(/utf-8 /fp:precise /permissive- /Zc:__cplusplus)
    set(VANTREL_WARNINGS /W4)
    if(VANTREL_WERROR)
        list(APPEND VANTREL_WARNINGS /WX)
    endif()
else()
    # Results are compared bit for bit with hand-worked values: no fused multiply-add anywhere.
    add_compile_options(-ffp-contract=off)

    set(VANTREL_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast
        -Wnon-virtual-dtor -Woverloaded-virtual -Wdouble-promotion -Wformat=2
        -Wimplicit-fallthrough)
    if(VANTREL_WERROR)
        list(APPEND VANTREL_WARNINGS -Werror)
    endif()
endif()

if(VANTREL_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()

if(VANTREL_TSAN)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()

# A Qt-free logic library. Its sources live in src/<folder>; consumers include "<folder>/<file>.hpp".
function(vantrel_logic_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    # Position-independent, so the map module (a shared object) can link them too.
    set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_compile_options(${name} PRIVATE ${VANTREL_WARNINGS})
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
    set_property(GLOBAL APPEND PROPERTY VANTREL_LOGIC_LIBRARIES ${name})
endfunction()

# Code that may use Qt: the platform adapters, the windows, the programs.
function(vantrel_qt_target name)
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_compile_options(${name} PRIVATE ${VANTREL_WARNINGS})
    target_compile_definitions(${name} PRIVATE QT_NO_KEYWORDS QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)
endfunction()
