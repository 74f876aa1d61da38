# Warnings and the flavour-specific compile and link flags, applied to every target of the tree.

add_compile_options(-Wall -Wextra)

if(WIN32)
  # Sources are UTF-8; narrow literals become code page 936, the code page of the target systems.
  # Wide literals stay UTF-16.
  add_compile_options(-finput-charset=UTF-8 -fexec-charset=GBK)
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 LZMA_API_STATIC)
  # No runtime DLLs: a dynamically linked program does not start on a bare system (nor under Wine).
  add_link_options(-static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)
endif()

if(VANTOR_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
