# Read by cpack before it makes the package: the tools the Debian package
# needs on the building machine. Without dpkg-shlibdeps CPack would make a
# package without its Depends, and without file it cannot look for them.
foreach(tool file dpkg-shlibdeps)
  find_program(found_${tool} ${tool})
  if(NOT found_${tool})
    message(FATAL_ERROR "making the Debian package needs ${tool}: apt-get install file dpkg-dev")
  endif()
endforeach()
