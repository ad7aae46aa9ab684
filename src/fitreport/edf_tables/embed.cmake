# Writes OUT: kes_edf_coef_builtin(family) returning the text of DIR/<family>.edf.
set(body "// Generated from ${DIR}/*.edf by embed.cmake: do not edit.\n#include \"fitreport/kes_edfcoef.h\"\n\nnamespace {\n")
foreach(name gamma lognormal weibull)
  file(READ ${DIR}/${name}.edf text)
  string(APPEND body "const char k_${name}[] = R\"edf(${text})edf\";\n")
endforeach()
string(APPEND body "}  // namespace\n\nconst char* kes_edf_coef_builtin(int family) {\n"
       "  return family == KES_COEF_GAMMA ? k_gamma : family == KES_COEF_LOGNORMAL ? k_lognormal\n"
       "       : family == KES_COEF_WEIBULL ? k_weibull : \"\";\n}\n")
file(WRITE ${OUT}.tmp "${body}")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
