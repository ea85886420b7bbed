# Fails when the Engine library exports a private name: ClipperLib, the
# clipper glue or another helper of engine/src that its clients must never
# bind to. Reads the dynamic symbol table (ELF, `nm -D --defined-only`) or
# the export table (a Windows DLL, `objdump -p`) and demangles the names.
#   cmake -DLIBRARY=<libEngine.so or Engine.dll> [-DNM=nm] [-DOBJDUMP=objdump]
#         [-DCXXFILT=c++filt] -P private_symbols.cmake
cmake_policy(VERSION 3.25)
if(NOT LIBRARY OR NOT EXISTS "${LIBRARY}")
  message(FATAL_ERROR "private_symbols: no library at '${LIBRARY}'")
endif()
if(NOT NM)
  set(NM nm)
endif()
if(NOT OBJDUMP)
  set(OBJDUMP objdump)
endif()
if(NOT CXXFILT)
  set(CXXFILT c++filt)
endif()

# The names of engine/src's private headers: namespaces, and the one private
# class outside them. The public interface is in include/engine/.
set(private_names "ClipperLib::" "clipper_glue::" "circarc_query::" "composite_walk::"
  "segdetail::" "gk::" "ClipperArcSample")

if(LIBRARY MATCHES "\\.dll$")
  execute_process(COMMAND "${OBJDUMP}" -p "${LIBRARY}" OUTPUT_VARIABLE table RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "private_symbols: ${OBJDUMP} -p ${LIBRARY} failed (${rc})")
  endif()
  # Lines "\t[   n] name" of the name pointer table.
  string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" entries "${table}")
  list(TRANSFORM entries REPLACE "^\\[ *[0-9]+\\] " "")
  list(JOIN entries "\n" mangled)
  set(raw_file "${CMAKE_CURRENT_BINARY_DIR}/private_symbols.raw")
  file(WRITE "${raw_file}" "${mangled}\n")
  execute_process(COMMAND "${CXXFILT}" INPUT_FILE "${raw_file}" OUTPUT_VARIABLE symbols
    RESULT_VARIABLE rc)
  file(REMOVE "${raw_file}")
else()
  execute_process(COMMAND "${NM}" -D --defined-only -C "${LIBRARY}" OUTPUT_VARIABLE symbols
    RESULT_VARIABLE rc)
endif()
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "private_symbols: reading the symbols of ${LIBRARY} failed (${rc})")
endif()

string(REPLACE ";" "," symbols "${symbols}")
string(REPLACE "\n" ";" lines "${symbols}")
list(LENGTH lines count)
# A library whose table could not be read would pass every check below.
if(count LESS 20)
  message(FATAL_ERROR "private_symbols: only ${count} exported symbols read from ${LIBRARY}")
endif()
set(found "")
foreach(line IN LISTS lines)
  foreach(name IN LISTS private_names)
    string(FIND "${line}" "${name}" at)
    if(at GREATER -1)
      list(APPEND found "${line}")
      break()
    endif()
  endforeach()
endforeach()
if(found)
  list(LENGTH found n)
  list(JOIN found "\n  " shown)
  message(FATAL_ERROR "${LIBRARY} exports ${n} private symbols:\n  ${shown}")
endif()
message(STATUS "${LIBRARY}: ${count} exported symbols, none private")
