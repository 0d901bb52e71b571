# Settings of the WebAssembly tree (emscripten), made before any target.

# The headless backend ends a game by unwinding, and the tests catch what
# they throw; emscripten leaves catching off unless asked, in both compile
# and link. The page's program never unwinds (its End parks the stack), so
# a tree without the tests builds without exceptions: smaller and faster.
# So a WebAssembly tree builds either the page (the web preset) or the
# headless test suites (web-tests), never both.
if(MOCHITAMA_BUILD_TESTS)
  add_compile_options(-fexceptions)
  add_link_options(-fexceptions)
  set(MOCHITAMA_WEB_PAGE OFF)
else()
  set(MOCHITAMA_WEB_PAGE ON)
endif()

# node runs the programs. Its own fetch, on by default in newer node,
# makes emscripten 3.1.6's loader take node for a browser.
find_program(MOCHITAMA_NODE NAMES node nodejs REQUIRED NO_CMAKE_FIND_ROOT_PATH)
set(CMAKE_CROSSCOMPILING_EMULATOR ${MOCHITAMA_NODE} --no-experimental-fetch)

# libc++ 13 has no floating-point std::from_chars; fast_float (header-only,
# libfast-float-dev) is the parser libstdc++'s from_chars is built on. Only
# its own folder is shown, through a link: the host's /usr/include must not
# reach a WebAssembly compile.
find_path(MOCHITAMA_FAST_FLOAT_DIR fast_float/fast_float.h
          PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(MOCHITAMA_FAST_FLOAT_INCLUDE ${PROJECT_BINARY_DIR}/fast_float_include)
file(MAKE_DIRECTORY ${MOCHITAMA_FAST_FLOAT_INCLUDE})
file(CREATE_LINK ${MOCHITAMA_FAST_FLOAT_DIR}/fast_float ${MOCHITAMA_FAST_FLOAT_INCLUDE}/fast_float SYMBOLIC)
