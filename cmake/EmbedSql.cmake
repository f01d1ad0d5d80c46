# Compiles SQL files into the program so that `mfg init` needs no files beside it.
# mfg_embed_sql(<output.cpp> <symbol> <files...>) writes a table of {name, text}.
function(mfg_embed_sql output symbol)
  set(body "#include \"EmbeddedSql.h\"\nnamespace mfg {\nconst std::vector<EmbeddedSql>& ${symbol}()\n{\n    static const std::vector<EmbeddedSql> files = {\n")
  foreach(file IN LISTS ARGN)
    file(READ "${file}" text)
    get_filename_component(name "${file}" NAME)
    string(APPEND body "        {\"${name}\", R\"__sql__(${text})__sql__\"},\n")
  endforeach()
  string(APPEND body "    };\n    return files;\n}\n}  // namespace mfg\n")
  file(CONFIGURE OUTPUT "${output}" CONTENT "${body}" @ONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ARGN})
endfunction()
