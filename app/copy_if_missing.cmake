# Copies SRC to DST only when DST does not exist yet, so that a file the program has changed
# (the settings written at exit) survives the next build.
if(NOT EXISTS "${DST}")
  configure_file("${SRC}" "${DST}" COPYONLY)
endif()
