# Shared settings of the project's scripts; sourced, never run.
# The cache holds what is expensive to make and does not depend on our sources: the cross-built
# libraries and the generated locale. It lives outside the build trees so that a clean build keeps it.
VANTOR_CACHE=${VANTOR_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vantor-setup}
VANTOR_LOCPATH=$VANTOR_CACHE/locale

# Debian source packages the Windows libraries are built from. When the archive has moved on past a
# pinned version (security updates replace old ones), build-deps.sh takes the newest build of the
# same upstream release and says so.
XZ_DEB_VERSION=5.4.1-1+deb12u1
OPENSSL_DEB_VERSION=3.0.20-1~deb12u2
