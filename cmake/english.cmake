# The English catalogue (po/en.po) as the build uses it: one command per form
# the programs compile in (tools/po_table.py --cpp, --js).
include_guard(GLOBAL)
find_program(MOCHITAMA_HOST_PYTHON3 NAMES python3 HINTS /usr/bin NO_CMAKE_FIND_ROOT_PATH REQUIRED)

# Writes `output` from the catalogue in `form` (cpp or js) whenever either changes.
function(mochitama_english_catalogue form output comment)
  add_custom_command(OUTPUT ${output}
    COMMAND ${MOCHITAMA_HOST_PYTHON3} ${PROJECT_SOURCE_DIR}/tools/po_table.py --${form} ${PROJECT_SOURCE_DIR}/po/en.po
            ${output}
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/po_table.py ${PROJECT_SOURCE_DIR}/po/en.po
    COMMENT "${comment}"
    VERBATIM)
endfunction()
