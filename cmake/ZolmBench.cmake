# zolm_add_bench(NAME SOURCE...)
#
# One Google Benchmark executable linked to zolm_lib and benchmark_main.
# Built with everything else; run by hand, e.g. ./build/bench/NAME.
function(zolm_add_bench name)
  if(NOT ARGN)
    message(FATAL_ERROR "zolm_add_bench(${name}): no sources")
  endif()
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE zolm_lib benchmark::benchmark_main)
endfunction()
