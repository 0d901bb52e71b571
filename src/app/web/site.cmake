# The program in a web page, and the static folder that serves it:
# build-web/site/ holds index.html, start.js, the program (mochitama.js and
# .wasm), the page's desktop (desktop/: ES modules, their style and the
# contract the build writes from page.h), the icon and the fonts. Any
# static server can host the folder as it is.
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

set(site_files)
function(mochitama_site_copy source destination)
  add_custom_command(OUTPUT ${destination}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${destination}
    DEPENDS ${source})
  set(site_files ${site_files} ${destination} PARENT_SCOPE)
endfunction()

# The page's desktop, and what it shares with the program, written from
# page.h (the build stops when page.cpp calls what the desktop lacks).
file(GLOB desktop_modules CONFIGURE_DEPENDS RELATIVE ${MOCHITAMA_WEB_PAGE_DIR} ${MOCHITAMA_WEB_PAGE_DIR}/*.js)
list(SORT desktop_modules)
foreach(file IN LISTS desktop_modules ITEMS desktop.css)
  mochitama_site_copy(${MOCHITAMA_WEB_PAGE_DIR}/${file} ${MOCHITAMA_SITE_DIR}/desktop/${file})
endforeach()
add_custom_command(OUTPUT ${MOCHITAMA_SITE_DIR}/desktop/contract.js ${MOCHITAMA_SITE_DIR}/desktop/contract.css
  COMMAND ${MOCHITAMA_HOST_PYTHON3} ${PROJECT_SOURCE_DIR}/tools/web_contract.py
          ${MOCHITAMA_WEB_PAGE_H} ${MOCHITAMA_WEB_PAGE_CPP} ${MOCHITAMA_WEB_PAGE_DIR}/desktop.js
          ${MOCHITAMA_SITE_DIR}/desktop
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/web_contract.py ${MOCHITAMA_WEB_PAGE_H} ${MOCHITAMA_WEB_PAGE_CPP}
          ${MOCHITAMA_WEB_PAGE_DIR}/desktop.js
  COMMENT "Writing what the page shares with the program, from page.h"
  VERBATIM)
list(APPEND site_files ${MOCHITAMA_SITE_DIR}/desktop/contract.js ${MOCHITAMA_SITE_DIR}/desktop/contract.css)

# index.html asks for every module at once, beside the program's download.
set(MODULE_PRELOADS "")
foreach(file IN LISTS desktop_modules ITEMS contract.js)
  string(APPEND MODULE_PRELOADS "<link rel=\"modulepreload\" href=\"desktop/${file}\">\n")
endforeach()
string(STRIP "${MODULE_PRELOADS}" MODULE_PRELOADS)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/web/index.html ${MOCHITAMA_SITE_DIR}/index.html @ONLY)

mochitama_site_copy(${CMAKE_CURRENT_SOURCE_DIR}/web/start.js ${MOCHITAMA_SITE_DIR}/start.js)
mochitama_site_copy(${PROJECT_SOURCE_DIR}/data/icons/${MOCHITAMA_APP_ID}.svg ${MOCHITAMA_SITE_DIR}/mochitama.svg)

add_custom_target(mochitama_site ALL DEPENDS ${site_files} mochitama)
if(TARGET mochitama_web_fonts)
  add_dependencies(mochitama_site mochitama_web_fonts)
endif()
