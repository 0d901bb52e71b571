# The web page's two Japanese fonts: subsets of Debian's IPA Gothic fonts
# that hold only what the page can show, with their CSS and licence, made by
# tools/web_fonts.py into site/fonts/ (target mochitama_web_fonts). They are
# made again when the script, the original fonts or any file of the sources
# it reads changes.

# Debian's python3 first: fontTools and brotli are Debian packages, which an
# interpreter found earlier on PATH (a virtualenv, pyenv) does not see.
find_program(MOCHITAMA_HOST_PYTHON3 NAMES python3 HINTS /usr/bin NO_CMAKE_FIND_ROOT_PATH REQUIRED)
execute_process(COMMAND ${MOCHITAMA_HOST_PYTHON3} -c "import fontTools.subset, brotli"
                RESULT_VARIABLE mochitama_font_modules OUTPUT_QUIET ERROR_QUIET)
if(NOT mochitama_font_modules EQUAL 0)
  message(FATAL_ERROR "${MOCHITAMA_HOST_PYTHON3} cannot import fontTools and brotli, which make "
                      "the web page's fonts: install python3-fonttools and python3-brotli "
                      "(scripts/setup.sh web)")
endif()

# The original fonts, unchanged and whole (8.5 MB), instead of the subsets.
option(MOCHITAMA_WEB_ORIGINAL_FONTS "Serve the original IPA fonts with the page instead of subsets" OFF)
set(MOCHITAMA_WEB_FONTS_DIR ${PROJECT_BINARY_DIR}/fonts)
if(MOCHITAMA_WEB_ORIGINAL_FONTS)
  set(web_fonts_option --original)
  set(mochitama_web_fonts_outputs ${MOCHITAMA_WEB_FONTS_DIR}/ipag.ttf ${MOCHITAMA_WEB_FONTS_DIR}/ipagp.ttf)
else()
  set(web_fonts_option "")
  set(mochitama_web_fonts_outputs
    ${MOCHITAMA_WEB_FONTS_DIR}/mochitama-gothic.woff2 ${MOCHITAMA_WEB_FONTS_DIR}/mochitama-pgothic.woff2)
endif()
list(APPEND mochitama_web_fonts_outputs ${MOCHITAMA_WEB_FONTS_DIR}/fonts.css ${MOCHITAMA_WEB_FONTS_DIR}/LICENSE.txt)
# The folders the script takes its characters from; a file added to one of
# them reconfigures the tree, so it is read too.
file(GLOB_RECURSE mochitama_web_fonts_sources CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/src/game/*
  ${PROJECT_SOURCE_DIR}/src/app/web/*
  ${PROJECT_SOURCE_DIR}/src/backends/web/*)
add_custom_command(OUTPUT ${mochitama_web_fonts_outputs}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${MOCHITAMA_WEB_FONTS_DIR}
  COMMAND ${MOCHITAMA_HOST_PYTHON3} ${PROJECT_SOURCE_DIR}/tools/web_fonts.py ${web_fonts_option} ${MOCHITAMA_WEB_FONTS_DIR}
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/web_fonts.py ${PROJECT_SOURCE_DIR}/tools/web_contract.py
          ${mochitama_web_fonts_sources}
          /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf
          /usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf
          /usr/share/doc/fonts-ipafont-gothic/copyright
  COMMENT "Making the web page's fonts"
  VERBATIM)
add_custom_target(mochitama_web_fonts ALL DEPENDS ${mochitama_web_fonts_outputs})

if(MOCHITAMA_BUILD_TESTS)
  enable_testing()
  add_test(NAME web_fonts
    COMMAND ${MOCHITAMA_HOST_PYTHON3} -m unittest -v test_web_fonts
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/tests/tools)
  set_tests_properties(web_fonts PROPERTIES
    LABELS fast TIMEOUT 60
    ENVIRONMENT "MOCHITAMA_WEB_FONTS=${MOCHITAMA_WEB_FONTS_DIR};PYTHONDONTWRITEBYTECODE=1")
endif()
