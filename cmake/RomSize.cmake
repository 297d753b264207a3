# cmake -DROM=<image> -DSIZE=<bytes> -P RomSize.cmake
# Fails, and removes the image, when it is not SIZE bytes long.
file(SIZE "${ROM}" actual)
if(NOT actual EQUAL SIZE)
  file(REMOVE "${ROM}")
  message(FATAL_ERROR "${ROM}: ${actual} bytes, an IPL ROM image is ${SIZE}")
endif()
