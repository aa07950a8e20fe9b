# Writes the package's changelog (gzipped, as Debian keeps it) for the version of the build;
# run at install time, so that it names the version the programs report.
#   cmake -DVERSION_FILE=... -DOUT=.../changelog.gz -DMAINTAINER=... -P changelog.cmake
file(READ "${VERSION_FILE}" version)
string(STRIP "${version}" version)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
  string(TIMESTAMP epoch "%s" UTC)
endif()
execute_process(COMMAND date -u -R -d "@${epoch}" OUTPUT_VARIABLE date OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(dir "${OUT}" DIRECTORY)
file(MAKE_DIRECTORY "${dir}")
string(REGEX REPLACE "\\.gz$" "" plain "${OUT}")
file(WRITE "${plain}" "interlocks (${version}) unstable; urgency=medium

  * Built from the project's source tree; the history is in its git log.

 -- ${MAINTAINER}  ${date}
")
execute_process(COMMAND gzip -9nf "${plain}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "changelog: gzip failed")
endif()
