# The program in a web page, and the static folder that serves it:
# build-web/site/ holds index.html, the program (mochitama.js and .wasm), the
# page's script and style, the icon and the fonts. Any static server can host
# the folder as it is.
set(MOCHITAMA_SITE_DIR ${PROJECT_BINARY_DIR}/site)

add_executable(mochitama web/web_main.cpp)
target_link_libraries(mochitama PRIVATE mochitama_game mochitama_web mochitama_warnings)
set_target_properties(mochitama PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${MOCHITAMA_SITE_DIR})
target_link_options(mochitama PRIVATE
  # One stack for all game code, suspended whenever the program waits.
  -sASYNCIFY=1
  -sASYNCIFY_STACK_SIZE=65536
  # The record store's own asynchronous import (fsync's is emscripten's).
  -sASYNCIFY_IMPORTS=mochitama_open_storage
  -sENVIRONMENT=web
  -sEXIT_RUNTIME=0
  -sALLOW_MEMORY_GROWTH=1
  -lidbfs.js
  --js-library ${MOCHITAMA_WEB_LIBRARY_JS})
set_property(TARGET mochitama APPEND PROPERTY LINK_DEPENDS ${MOCHITAMA_WEB_LIBRARY_JS})

set(page_files index.html desktop.js desktop.css)
set(site_files)
foreach(file IN LISTS page_files)
  add_custom_command(OUTPUT ${MOCHITAMA_SITE_DIR}/${file}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/web/${file} ${MOCHITAMA_SITE_DIR}/${file}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/web/${file})
  list(APPEND site_files ${MOCHITAMA_SITE_DIR}/${file})
endforeach()
add_custom_command(OUTPUT ${MOCHITAMA_SITE_DIR}/mochitama.svg
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/data/icons/${MOCHITAMA_APP_ID}.svg
          ${MOCHITAMA_SITE_DIR}/mochitama.svg
  DEPENDS ${PROJECT_SOURCE_DIR}/data/icons/${MOCHITAMA_APP_ID}.svg)
list(APPEND site_files ${MOCHITAMA_SITE_DIR}/mochitama.svg)

add_custom_target(mochitama_site ALL DEPENDS ${site_files} mochitama)
if(TARGET mochitama_web_fonts)
  add_dependencies(mochitama_site mochitama_web_fonts)
endif()
