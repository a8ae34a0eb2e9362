# One static library per folder, each seeing only its own headers and those
# of the libraries it declares: every library gets an include root of its own
# in the build tree, holding a single link named after its folder, so that
# #include "storage/..." fails to build in a library that does not link
# palomet_storage. The window's folders are layers of their own one level
# down: app/document/ is the folder of "app/document/...". A check at
# configure time says the same in words.

# palomet_layer(NAME FOLDER SOURCE_DIR [SOURCES ...] [USES lib ...] [QT module ...])
function(palomet_layer name folder source_dir)
  cmake_parse_arguments(PARSE_ARGV 3 layer "" "" "SOURCES;USES;QT")
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  if(IS_SYMLINK ${parent}) # a build tree of the time app/ was one folder
    file(REMOVE ${parent})
  endif()
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${source_dir} ${root}/${folder} SYMBOLIC)
  if(layer_SOURCES)
    add_library(${name} STATIC ${layer_SOURCES})
    target_include_directories(${name} PUBLIC ${root})
    target_link_libraries(${name} PUBLIC ${layer_USES} ${layer_QT})
    palomet_strict(${name})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${root})
    target_link_libraries(${name} INTERFACE ${layer_USES} ${layer_QT})
  endif()
  palomet_check_includes(${name} ${folder} ${source_dir} "${layer_USES}")
endfunction()

# Fails the configuration when a file of the library includes a header from a
# folder of the project that is neither its own nor that of a library it
# links.
function(palomet_check_includes name folder source_dir uses)
  # Its own folder and those of every library it links, directly or through another.
  set(allowed ${folder})
  foreach(use ${uses})
    get_property(used GLOBAL PROPERTY PALOMET_ALLOWED_${use})
    list(APPEND allowed ${used})
  endforeach()
  list(REMOVE_DUPLICATES allowed)
  set_property(GLOBAL PROPERTY PALOMET_ALLOWED_${name} ${allowed})
  file(GLOB_RECURSE files ${source_dir}/*.h ${source_dir}/*.cpp)
  foreach(file ${files})
    file(STRINGS ${file} includes REGEX "^#include \"[a-z]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^#include \"(app/[a-z]+|[a-z]+)/.*" "\\1" included "${line}")
      if(NOT included IN_LIST allowed)
        message(FATAL_ERROR "${file} includes a header of ${included}/, which ${name} does not link "
                            "(it may use: ${allowed})")
      endif()
    endforeach()
  endforeach()
endfunction()
