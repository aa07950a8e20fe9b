# Writes the version of the build: the project's version, or, in a git tree, the one git
# describe gives (a tag vX.Y.Z and the commits since it), or the project's version with the
# commit count and hash when there is no tag. The files are rewritten only when the version
# changes, so an unchanged version rebuilds nothing.
#   cmake -DSOURCE_DIR=... -DBASE=1.2.3 -DOUT_CPP=... -DOUT_TXT=... -P version.cmake
set(version "${BASE}")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" describe --tags --long --match "v[0-9]*"
                  OUTPUT_VARIABLE described RESULT_VARIABLE failed ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT failed AND described MATCHES "^v([0-9][^-]*)-([0-9]+)-g([0-9a-f]+)$")
    if(CMAKE_MATCH_2 EQUAL 0)
      set(version "${CMAKE_MATCH_1}")
    else()
      set(version "${CMAKE_MATCH_1}+${CMAKE_MATCH_2}.g${CMAKE_MATCH_3}")
    endif()
  else()
    execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" rev-list --count HEAD
                    OUTPUT_VARIABLE count RESULT_VARIABLE failed1 ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
    execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" rev-parse --short=8 HEAD
                    OUTPUT_VARIABLE hash RESULT_VARIABLE failed2 ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT failed1 AND NOT failed2)
      set(version "${BASE}+git${count}.g${hash}")
    endif()
  endif()
endif()
file(CONFIGURE OUTPUT "${OUT_CPP}.new" CONTENT
"// Written by the build (cli/version.cmake).
namespace cli {
extern const char* const kBuildVersion;
const char* const kBuildVersion = \"${version}\";
}  // namespace cli
")
file(COPY_FILE "${OUT_CPP}.new" "${OUT_CPP}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT_CPP}.new")
file(CONFIGURE OUTPUT "${OUT_TXT}" CONTENT "${version}")
