# The program in a web page, and the static folder that serves it,
# build-web/site/ (tools/web_site.py): index.html, the service worker and the
# manifest at the top, and everything else in a folder named by its
# contents, each text file and the wasm with a .br and a .gz beside it. Any
# static server can host the folder as it is.
set(MOCHITAMA_SITE_DIR ${PROJECT_BINARY_DIR}/site)
set(program_dir ${PROJECT_BINARY_DIR}/program)
set(contract_dir ${PROJECT_BINARY_DIR}/contract)
set(icons_dir ${PROJECT_BINARY_DIR}/icons)

add_executable(mochitama web/web_main.cpp)
target_link_libraries(mochitama PRIVATE mochitama_game mochitama_web mochitama_warnings)
set_target_properties(mochitama PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${program_dir})
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

# What the page shares with the program, written from page.h (the build
# stops when page.cpp calls what the desktop lacks).
add_custom_command(OUTPUT ${contract_dir}/contract.js ${contract_dir}/contract.css
  COMMAND ${MOCHITAMA_HOST_PYTHON3} ${PROJECT_SOURCE_DIR}/tools/web_contract.py
          ${MOCHITAMA_WEB_PAGE_H} ${MOCHITAMA_WEB_PAGE_CPP} ${MOCHITAMA_WEB_PAGE_DIR}/desktop.js ${contract_dir}
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/web_contract.py ${MOCHITAMA_WEB_PAGE_H} ${MOCHITAMA_WEB_PAGE_CPP}
          ${MOCHITAMA_WEB_PAGE_DIR}/desktop.js
  COMMENT "Writing what the page shares with the program, from page.h"
  VERBATIM)

# The page's own words in English, beside the contract: the program has the
# same catalogue compiled in.
include(${PROJECT_SOURCE_DIR}/cmake/english.cmake)
mochitama_english_catalogue(js ${contract_dir}/english.js "Writing the page's English from po/en.po")

# The icon as the window's title bar shows it, and as PNGs for installing the
# page, drawn by the game's own icon renderer (tools/render_icon.cpp; a
# desktop test keeps them so).
set(icon_sources
  ${PROJECT_SOURCE_DIR}/data/icons/${MOCHITAMA_APP_ID}.svg
  ${PROJECT_SOURCE_DIR}/data/icons/web/mochitama-192.png
  ${PROJECT_SOURCE_DIR}/data/icons/web/mochitama-512.png)
add_custom_command(OUTPUT ${icons_dir}/mochitama.svg ${icons_dir}/mochitama-192.png ${icons_dir}/mochitama-512.png
  COMMAND ${CMAKE_COMMAND} -E make_directory ${icons_dir}
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/data/icons/${MOCHITAMA_APP_ID}.svg ${icons_dir}/mochitama.svg
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/data/icons/web/mochitama-192.png
          ${PROJECT_SOURCE_DIR}/data/icons/web/mochitama-512.png ${icons_dir}
  DEPENDS ${icon_sources})

file(GLOB page_sources CONFIGURE_DEPENDS ${MOCHITAMA_WEB_PAGE_DIR}/*)
set(shell_sources
  ${CMAKE_CURRENT_SOURCE_DIR}/web/index.html
  ${CMAKE_CURRENT_SOURCE_DIR}/web/start.js
  ${CMAKE_CURRENT_SOURCE_DIR}/web/sw.js
  ${CMAKE_CURRENT_SOURCE_DIR}/web/manifest.webmanifest)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/site.stamp
  COMMAND ${MOCHITAMA_HOST_PYTHON3} ${PROJECT_SOURCE_DIR}/tools/web_site.py ${MOCHITAMA_SITE_DIR}
          --shell ${CMAKE_CURRENT_SOURCE_DIR}/web --desktop ${MOCHITAMA_WEB_PAGE_DIR} --contract ${contract_dir}
          --program ${program_dir} --fonts ${MOCHITAMA_WEB_FONTS_DIR} --icons ${icons_dir}
  COMMAND ${CMAKE_COMMAND} -E touch ${PROJECT_BINARY_DIR}/site.stamp
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/web_site.py ${shell_sources} ${page_sources}
          ${contract_dir}/contract.js ${contract_dir}/contract.css ${contract_dir}/english.js
          ${icons_dir}/mochitama.svg ${icons_dir}/mochitama-192.png ${icons_dir}/mochitama-512.png
          ${mochitama_web_fonts_outputs} mochitama
  COMMENT "Putting the site together in ${MOCHITAMA_SITE_DIR}"
  VERBATIM)

add_custom_target(mochitama_site ALL DEPENDS ${PROJECT_BINARY_DIR}/site.stamp)
add_dependencies(mochitama_site mochitama_web_fonts)
