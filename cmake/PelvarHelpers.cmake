# The host is split the way a real host ships: host/include/<family>/ holds the public API
# headers (what the development kit gives a module), host/<family>/ the host's private
# implementation. Three interface targets say who sees what:
#   pelvar_sdk            the public API headers only: the module and the test module
#   pelvar_harness        the SDK plus host/include/harness, the host-automation interface
#                         tests use to drive the host (captured output, scripted answers,
#                         rendering, drawing files, registry reads); never the module
#   pelvar_host_internals the host's private folders: the host library, its own tests
#                         and the program
set(PELVAR_SDK_FAMILIES rx ge db gi ed ap civil win mfc)
add_library(pelvar_sdk INTERFACE)
foreach(family ${PELVAR_SDK_FAMILIES})
  target_include_directories(pelvar_sdk INTERFACE ${CMAKE_SOURCE_DIR}/host/include/${family})
endforeach()
add_library(pelvar_harness INTERFACE)
target_include_directories(pelvar_harness INTERFACE ${CMAKE_SOURCE_DIR}/host/include/harness)
target_link_libraries(pelvar_harness INTERFACE pelvar_sdk)
add_library(pelvar_host_internals INTERFACE)
file(GLOB host_children LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/host/*)
foreach(child ${host_children})
  if(IS_DIRECTORY ${child} AND NOT child MATCHES "/(program|include)$")
    target_include_directories(pelvar_host_internals INTERFACE ${child})
  endif()
endforeach()
target_link_libraries(pelvar_host_internals INTERFACE pelvar_harness)

# Tests of the host itself (and host benchmarks) may look inside it.
function(pelvar_link_host_internals target)
  target_link_libraries(${target} PRIVATE pelvar_host_internals)
endfunction()

# Libraries every test and benchmark may use: the module, the SDK and the test harness.
function(pelvar_link_module target)
  if(TARGET pelvar_module_objs)
    target_link_libraries(${target} PRIVATE pelvar_module_objs)
  endif()
  foreach(helper pelvar_samplegen pelvar_eptgen pelvar_loopback pelvar_lazdecoder)
    if(TARGET ${helper})
      target_link_libraries(${target} PRIVATE ${helper})
    endif()
  endforeach()
  target_link_libraries(${target} PRIVATE pelvarhost pelvar_harness pelvar_warnings ZLIB::ZLIB)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
endfunction()

# tools/NAME/*.cpp becomes the executable NAME.
function(pelvar_add_tools root)
  file(GLOB children LIST_DIRECTORIES true ${root}/*)
  foreach(child ${children})
    if(IS_DIRECTORY ${child})
      get_filename_component(name ${child} NAME)
      if(EXISTS ${child}/CMakeLists.txt)
        add_subdirectory(${child})
      else()
        file(GLOB sources CONFIGURE_DEPENDS ${child}/*.cpp)
        if(sources)
          add_executable(${name} ${sources})
          pelvar_link_module(${name})
        endif()
      endif()
    endif()
  endforeach()
endfunction()
