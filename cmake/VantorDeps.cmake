# liblzma and libcrypto as the imported targets vantor::lzma and vantor::crypto.
# Natively they are Debian's; for Windows the static builds that scripts/build-deps.sh makes in the
# cache (VANTOR_DEPS_PREFIX, by default $VANTOR_CACHE or ~/.cache/vantor-setup, then deps/<triplet>).

if(WIN32)
  if(NOT VANTOR_DEPS_PREFIX)
    if(DEFINED ENV{VANTOR_CACHE})
      set(_cache "$ENV{VANTOR_CACHE}")
    elseif(DEFINED ENV{XDG_CACHE_HOME})
      set(_cache "$ENV{XDG_CACHE_HOME}/vantor-setup")
    else()
      set(_cache "$ENV{HOME}/.cache/vantor-setup")
    endif()
    set(VANTOR_DEPS_PREFIX "${_cache}/deps/${VANTOR_TRIPLET}" CACHE PATH "Cross-built liblzma and libcrypto")
  endif()
  foreach(_lib lzma crypto)
    if(NOT EXISTS "${VANTOR_DEPS_PREFIX}/lib/lib${_lib}.a")
      message(FATAL_ERROR "lib${_lib}.a is missing in ${VANTOR_DEPS_PREFIX}: run scripts/setup-machine.sh")
    endif()
  endforeach()
  add_library(vantor::lzma STATIC IMPORTED)
  set_target_properties(vantor::lzma PROPERTIES
    IMPORTED_LOCATION "${VANTOR_DEPS_PREFIX}/lib/liblzma.a"
    INTERFACE_INCLUDE_DIRECTORIES "${VANTOR_DEPS_PREFIX}/include"
    INTERFACE_COMPILE_DEFINITIONS LZMA_API_STATIC)
  add_library(vantor::crypto STATIC IMPORTED)
  set_target_properties(vantor::crypto PROPERTIES
    IMPORTED_LOCATION "${VANTOR_DEPS_PREFIX}/lib/libcrypto.a"
    INTERFACE_INCLUDE_DIRECTORIES "${VANTOR_DEPS_PREFIX}/include"
    INTERFACE_LINK_LIBRARIES "ws2_32;crypt32;user32;advapi32")
else()
  find_package(LibLZMA REQUIRED)
  find_package(OpenSSL REQUIRED COMPONENTS Crypto)
  add_library(vantor::lzma INTERFACE IMPORTED)
  target_link_libraries(vantor::lzma INTERFACE LibLZMA::LibLZMA)
  add_library(vantor::crypto INTERFACE IMPORTED)
  target_link_libraries(vantor::crypto INTERFACE OpenSSL::Crypto)
endif()
