# Includes run one way only, from the top down, never back up or across:
#   app/                                      start-up, command line, main menu
#   prescription/ otc/ library/ fulltext/     the feature folders, peers
#   memo/                                     the list copy and memo the features share
#   retrieval/                                transfers, fetching, saving documents
#   shell/                                    program state, messages, desktop seam
#   conversion/                               the EUC-JP tables and conversion
# A feature folder includes no other feature folder. The message table
# (shell/Messages.h, texts only) is read by every layer, the conversion's too. Run as:
#   cmake -DSOURCE_DIR=<src> -P CheckIncludeLayers.cmake
cmake_policy(VERSION 3.25)
set(folders app prescription otc library fulltext memo retrieval shell conversion)
set(allowed_conversion conversion)
set(allowed_shell shell conversion)
set(allowed_retrieval retrieval shell conversion)
set(allowed_memo memo retrieval shell conversion)
foreach(feature prescription otc library fulltext)
  set(allowed_${feature} ${feature} memo retrieval shell conversion)
endforeach()
set(allowed_app ${folders})
set(faults "")
foreach(layer IN LISTS folders)
  file(GLOB_RECURSE files "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
  foreach(file IN LISTS files)
    file(STRINGS "${file}" lines REGEX "^#include \"")
    foreach(line IN LISTS lines)
      foreach(other IN LISTS folders)
        if(line MATCHES "^#include \"${other}/" AND NOT other IN_LIST allowed_${layer}
           AND NOT line MATCHES "^#include \"shell/Messages.h\"")
          list(APPEND faults "${file}: ${line}")
        endif()
      endforeach()
    endforeach()
  endforeach()
endforeach()
# Every source file sits in one of the layers.
file(GLOB_RECURSE strays "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.h")
foreach(file IN LISTS strays)
  file(RELATIVE_PATH relative "${SOURCE_DIR}" "${file}")
  string(REGEX REPLACE "/.*" "" top "${relative}")
  if(NOT top IN_LIST folders)
    list(APPEND faults "${file}: outside the layers")
  endif()
endforeach()
if(faults)
  list(JOIN faults "\n" text)
  message(FATAL_ERROR "An include runs back up or across the layers:\n${text}")
endif()
