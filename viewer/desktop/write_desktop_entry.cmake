# Writes the desktop entry for the install prefix in use (run at install time).
# In: template, output, bin_dir and icon_dir (relative to the prefix), and
# CMAKE_INSTALL_PREFIX.
get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
# Trailing slashes go (the root becomes empty, so "${prefix}/bin" is "/bin").
string(REGEX REPLACE "/+$" "" prefix "${prefix}")
if(prefix MATCHES "[\n\r]")
  message(FATAL_ERROR "The install prefix holds a line break: no desktop entry can name it")
endif()

# A string value of the entry: backslashes doubled.
function(entry_string out text)
  string(REPLACE "\\" "\\\\" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(program "${prefix}/${bin_dir}/trendel")
# Exec: the program as one quoted argument ("\", "\"", "`" and "$" escaped with
# a backslash inside the quotes, "%" doubled), then the value's own escaping.
string(REPLACE "\\" "\\\\" quoted "${program}")
string(REPLACE "\"" "\\\"" quoted "${quoted}")
string(REPLACE "`" "\\`" quoted "${quoted}")
string(REPLACE "$" "\\$" quoted "${quoted}")
string(REPLACE "%" "%%" quoted "${quoted}")
entry_string(TRENDEL_EXEC "\"${quoted}\"")
entry_string(TRENDEL_PATH "${prefix}/${bin_dir}")
entry_string(TRENDEL_ICON "${prefix}/${icon_dir}/trendel.svg")
configure_file("${template}" "${output}" @ONLY)
