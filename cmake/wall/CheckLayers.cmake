# Checks the include lines of the module's layers:
#  - no module source includes a host file by its path (only the API headers' plain names);
#  - the projection maths and the zone table (geo/, except the zone prompt) include nothing
#    of the host;
#  - the entity layer does not include the application layer (app/).
# Run as: cmake -DSOURCE_DIR=<root> -P CheckLayers.cmake
set(failures "")
function(check_files glob_expr pattern why)
  file(GLOB_RECURSE files ${glob_expr})
  foreach(file ${files})
    if(file MATCHES "/geo/ResolveZone\\.(cpp|h)$" AND why MATCHES "host")
      continue()
    endif()
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${lines})
      if(line MATCHES "${pattern}")
        set(failures "${failures}${file}: ${line} (${why})\n" PARENT_SCOPE)
      endif()
    endforeach()
  endforeach()
endfunction()

foreach(dir app cloudfile entity analysis classify retrieval geo ui civil lasio lazworker)
  check_files("${SOURCE_DIR}/module/${dir}/*" "[\"<]host/" "module includes a host file by path")
endforeach()
check_files("${SOURCE_DIR}/module/geo/*" "\"[^/\"]+\"" "geo maths includes a host header")
check_files("${SOURCE_DIR}/module/entity/*" "\"app/" "entity layer includes the application layer")
if(failures)
  message(FATAL_ERROR "Layering broken:\n${failures}")
endif()
