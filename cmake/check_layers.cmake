# Fails when a source under src/ includes against the layer graph of the libraries:
# app -> ui -> palette, settings -> platform -> base; platform/x11 and platform/store
# implement platform's interfaces and use base; app runs the nested session (nested), which
# uses platform's interfaces and base only. Xlib and XCB only in platform/x11; FLTK
# only in ui, platform/x11 and app. The same goes for their names in the code: a forward
# declaration such as "class Fl_Window;" needs no include.
# Run as: cmake -DSOURCE_DIR=<repo>/src -DSTAMP=<file> -P check_layers.cmake
cmake_minimum_required(VERSION 3.20)

set(allowed_base base)
set(allowed_platform platform base)
set(allowed_platform/store platform/store platform base)
set(allowed_platform/x11 platform/x11 platform base)
set(allowed_palette palette platform base)
set(allowed_settings settings platform base)
set(allowed_ui ui palette settings platform base)
set(allowed_nested nested platform base)
set(allowed_app app ui nested palette settings platform platform/x11 platform/store base)
set(layers app ui nested palette settings platform/x11 platform/store platform base)
set(fltk_layers app ui platform/x11)

# The layer of a path relative to src/: its folder, platform/x11 and platform/store apart.
function(layer_of path out)
    set(${out} "" PARENT_SCOPE)
    foreach(layer IN LISTS layers)
        if(path MATCHES "^${layer}/[^/]+$")
            set(${out} ${layer} PARENT_SCOPE)
            return()
        endif()
    endforeach()
endfunction()

# FLTK's names (Fl_Window, fl_draw, FL_BLACK, Fl::wait) and Xlib's (its types and X calls),
# looked for in code with its comments, strings and characters taken out. FLTK's fl_xid
# and fl_display are Xlib's door as much as FL/x.H is.
set(fltk_name "(^|[^A-Za-z0-9_])(Fl_[A-Za-z][A-Za-z0-9_]*|fl_[a-z][A-Za-z0-9_]*|FL_[A-Z][A-Za-z0-9_]*|Fl::[A-Za-z_]+)")
set(xlib_name "(^|[^A-Za-z0-9_])(Display|Window|Colormap|Atom|Visual|Drawable|Pixmap|XID|X[A-Z][a-z][A-Za-z]*|fl_xid|fl_display|fl_window|fl_gc)([^A-Za-z0-9_]|$)")

# Appends to `failures` a line for every FLTK or Xlib name in `source` that its layer `from`
# may not use.
function(check_names source from)
    if(from STREQUAL "platform/x11")
        return()
    endif()
    set(fltk_allowed FALSE)
    if(from IN_LIST fltk_layers)
        set(fltk_allowed TRUE)
    endif()
    file(STRINGS "${SOURCE_DIR}/${source}" lines
         REGEX "(Fl_|fl_|FL_|Fl::|Display|Window|Colormap|Atom|Visual|Drawable|Pixmap|XID|X[A-Z][a-z])")
    set(found "")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "'([^'\\]|\\\\.)+'" "''" line "${line}")
        string(REGEX REPLACE "\"([^\"\\]|\\\\.)*\"" "\"\"" line "${line}")
        string(REGEX REPLACE "//.*$" "" line "${line}")
        if(NOT fltk_allowed AND line MATCHES "${fltk_name}")
            list(APPEND found "src/${source}: names FLTK's ${CMAKE_MATCH_2}: FLTK belongs to app, ui, platform/x11")
        endif()
        if(line MATCHES "${xlib_name}")
            list(APPEND found "src/${source}: names Xlib's ${CMAKE_MATCH_2}: Xlib belongs to platform/x11")
        endif()
    endforeach()
    set(failures ${failures} ${found} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(failures "")
foreach(source IN LISTS sources)
    layer_of("${source}" from)
    if(from STREQUAL "")
        list(APPEND failures "src/${source}: not in a layer folder")
        continue()
    endif()
    check_names("${source}" "${from}")
    file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"].*$" "\\1" header
                             "${line}")
        # FL/x.H is FLTK's door to Xlib: it counts as Xlib.
        if(header MATCHES "^(X11|xcb)/" OR header STREQUAL "FL/x.H")
            if(NOT from STREQUAL "platform/x11")
                list(APPEND failures "src/${source}: includes ${header}: Xlib and XCB belong to platform/x11")
            endif()
        elseif(header MATCHES "^FL/")
            if(NOT from IN_LIST fltk_layers)
                list(APPEND failures "src/${source}: includes ${header}: FLTK belongs to app, ui, platform/x11")
            endif()
        elseif(EXISTS "${SOURCE_DIR}/${header}")
            layer_of("${header}" to)
            if(NOT to IN_LIST allowed_${from})
                string(REPLACE ";" ", " may "${allowed_${from}}")
                list(APPEND failures "src/${source}: includes ${header}: ${from} may use only ${may}")
            endif()
        endif()
    endforeach()
endforeach()

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "Includes and names against the layer graph:\n  ${text}")
endif()
if(STAMP)
    file(TOUCH "${STAMP}")
endif()
