# Fails the build when a source file includes a header of a library above
# its own: the libraries form layers, and each may use only itself and the
# ones below it. Run as `cmake -DROOT=<source dir> -P check_layers.cmake`.
#
#   platform/support   (bottom: OS, text, JSON, SQLite)
#   platform/rsc       support
#   platform/sheet     support rsc
#   platform/circuit   support rsc sheet
#   platform/kcdb      support
#   platform/kicad     support rsc sheet circuit kcdb
#   platform/kicadxml  support rsc sheet
#   settings, table    platform
#   design             platform settings table
#   extract            platform settings table design
#   output             platform settings table
#   kicadbom           platform settings (its message codes)
#   app                everything
set(allowed_platform/support "platform/support")
set(allowed_platform/rsc "platform/support;platform/rsc")
set(allowed_platform/sheet "platform/support;platform/rsc;platform/sheet")
set(allowed_platform/circuit "platform/support;platform/rsc;platform/sheet;platform/circuit")
set(allowed_platform/kcdb "platform/support;platform/kcdb")
set(allowed_platform/kicad "platform/support;platform/rsc;platform/sheet;platform/circuit;platform/kcdb;platform/kicad")
set(allowed_platform/kicadxml "platform/support;platform/rsc;platform/sheet;platform/kicadxml")
set(platform_all "platform/support;platform/rsc;platform/sheet;platform/circuit;platform/kcdb;platform/kicad;platform/kicadxml")
set(allowed_settings "${platform_all};settings")
set(allowed_table "${platform_all};table")
set(allowed_design "${platform_all};settings;table;design")
set(allowed_extract "${platform_all};settings;table;design;extract")
set(allowed_output "${platform_all};settings;table;output")
set(allowed_kicadbom "${platform_all};settings;kicadbom")

set(failed 0)
foreach(layer platform/support platform/rsc platform/sheet platform/circuit platform/kcdb platform/kicad platform/kicadxml
              settings table design extract output kicadbom)
  file(GLOB sources ${ROOT}/${layer}/*.h ${ROOT}/${layer}/*.cpp)
  foreach(source ${sources})
    file(STRINGS ${source} includes REGEX "^#include \"")
    foreach(line ${includes})
      string(REGEX REPLACE "^#include \"(.*)/[^/]*\".*" "\\1" folder "${line}")
      if(folder STREQUAL line)
        continue()  # a header beside the file, or a system-style name
      endif()
      list(FIND allowed_${layer} "${folder}" found)
      if(found EQUAL -1)
        file(RELATIVE_PATH name ${ROOT} ${source})
        message(SEND_ERROR "${name}: ${line}: ${layer} may not include from ${folder}")
        set(failed 1)
      endif()
    endforeach()
  endforeach()
endforeach()
if(failed)
  message(FATAL_ERROR "a library includes a header of a library above it (see cmake/check_layers.cmake)")
endif()
