# SPDX-License-Identifier: MIT
# `gnome-extensions pack` takes the extension, and the archive holds every file it needs.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${TOOL} pack ${DIR} --extra-source=feed.js --out-dir=${OUT} --force
                RESULT_VARIABLE result ERROR_VARIABLE error)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "gnome-extensions pack failed: ${error}")
endif()
file(GLOB archive ${OUT}/*.shell-extension.zip)
if(NOT archive)
  message(FATAL_ERROR "gnome-extensions pack made no archive")
endif()
file(ARCHIVE_EXTRACT INPUT ${archive} DESTINATION ${OUT}/unpacked)
foreach(name metadata.json extension.js feed.js)
  if(NOT EXISTS ${OUT}/unpacked/${name})
    message(FATAL_ERROR "the packed extension lacks ${name}")
  endif()
endforeach()
