# Compresses one file as Debian wants documentation and manual pages: gzip
# -9 without a name or a time in the header, so the same input always gives
# the same bytes. With SCDOC, the input is first made into roff by scdoc.
#   cmake [-DSCDOC=scdoc] -DIN=... -DOUT=....gz -P gzip_file.cmake
set(input "${IN}")
if(SCDOC)
  string(REGEX REPLACE "\\.gz$" "" roff "${OUT}")
  execute_process(COMMAND "${SCDOC}" INPUT_FILE "${IN}" OUTPUT_FILE "${roff}" RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "scdoc failed on ${IN}")
  endif()
  set(input "${roff}")
endif()
execute_process(COMMAND gzip -9 -n -c "${input}" OUTPUT_FILE "${OUT}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "gzip failed on ${input}")
endif()
