# Compares the object names in two index headers written by dat -h, ignoring
# their dates. MODE=check fails unless they match (both themes share one
# layout); MODE=update copies NEW over OLD only when they differ, so repacking a
# datafile with the same objects recompiles nothing.
file(STRINGS ${NEW} newNames REGEX "^#define")
set(oldNames)
if(EXISTS ${OLD})
    file(STRINGS ${OLD} oldNames REGEX "^#define")
endif()
if(newNames STREQUAL oldNames)
    return()
endif()
if(MODE STREQUAL "check")
    message(FATAL_ERROR "${NEW} does not name its objects as ${OLD} does")
endif()
configure_file(${NEW} ${OLD} COPYONLY)
