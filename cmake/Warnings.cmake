# Warnings for the project's own targets; third-party headers come in as system headers.
function(norvo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-missing-field-initializers)
endfunction()
