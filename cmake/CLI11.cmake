# CLI11, the command-line parser of tesmara-cli and devsim: Debian's header-only libcli11-dev.
# Its headers include each other by bare name, so the mingw build is given that one folder
# (never the rest of /usr/include) and every user includes <CLI.hpp>.
find_path(TESMARA_CLI11_DIR CLI.hpp PATHS /usr/include/CLI NO_DEFAULT_PATH
    NO_CMAKE_FIND_ROOT_PATH REQUIRED)
add_library(tesmara_cli11 INTERFACE)
target_include_directories(tesmara_cli11 SYSTEM INTERFACE ${TESMARA_CLI11_DIR})
