# Copies the folder SOURCE into TARGET (changed files only), when it exists.
if(EXISTS "${SOURCE}")
  file(COPY "${SOURCE}/" DESTINATION "${TARGET}")
endif()
