#!/usr/bin/env bash
# Builds the core libraries (base, image, catalogue, mapfiles, rmp, tools) and their tests as 32-bit
# x86 programs into build-i386/ (or $I386_BUILD_DIR) and runs the tests there.
#
# The compiler is g++ -m32 (g++-multilib). The i386 builds of the image libraries and GoogleTest come
# from Debian's archive through apt, but into a private folder: apt keeps its own i386 package lists
# under build-i386/apt and the packages are unpacked into build-i386/sysroot, so the machine's own
# packages (and their versions) stay as they are.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${I386_BUILD_DIR:-$root/build-i386}
jobs=${JOBS:-$(nproc)}

"$root/scripts/install.sh" g++-multilib

sysroot="$build/sysroot"
apt_dir="$build/apt"
packages=(libjpeg62-turbo-dev libpng-dev zlib1g-dev libgif-dev libtiff-dev libgtest-dev)
if [[ ! -f "$sysroot/.complete" ]]; then
  rm -rf "$sysroot" "$apt_dir"
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$apt_dir/cache" "$sysroot"
  : >"$apt_dir/status"
  apt_opts=(-o APT::Architecture=i386 -o APT::Architectures::=i386
    -o Dir::State::Lists="$apt_dir/lists" -o Dir::State::status="$apt_dir/status"
    -o Dir::Cache="$apt_dir/cache" -o Dir::Cache::archives="$apt_dir/archives"
    -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
  # A list that fails to arrive (a mirror in the middle of a sync) is left out; what the others name
  # is consistent in itself.
  apt-get "${apt_opts[@]}" update -qq || echo "note: some i386 package lists could not be fetched"
  apt-get "${apt_opts[@]}" install -y -qq --download-only --no-install-recommends "${packages[@]}" >/dev/null
  for deb in "$apt_dir"/archives/*.deb; do
    case "$(basename "$deb")" in
      # The C library, the compiler's runtime and the kernel headers come with g++-multilib.
      libc6_* | libc6-dev_* | libc-dev-bin_* | linux-libc-dev_* | libgcc* | gcc-* | libstdc++* | libcrypt* | \
        libnsl* | libtirpc* | rpcsvc-proto_* | libgssapi* | libkrb5* | libk5crypto* | libcom-err* | \
        libkeyutils* | libssl* | cpp-* | libasan* | libubsan* | libtsan* | libquadmath* | libitm* | \
        libgomp* | libatomic* | liblsan* | libisl* | libmpc* | libmpfr* | libgmp* | libcc1* | binutils* | \
        libbinutils* | libctf* | libgprofng* | libjansson* | libzstd1_*-dev* | libbsd* | libmd*) continue ;;
    esac
    dpkg-deb -x "$deb" "$sysroot"
  done
  touch "$sysroot/.complete"
fi

lib="$sysroot/usr/lib/i386-linux-gnu"
cat >"$build/toolchain.cmake" <<EOT
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
# The libraries' configuration headers (jconfig.h and the like) sit in the multiarch folder.
set(CMAKE_C_FLAGS_INIT "-m32 -isystem $sysroot/usr/include/i386-linux-gnu")
set(CMAKE_CXX_FLAGS_INIT "-m32 -isystem $sysroot/usr/include/i386-linux-gnu")
# Old-style RPATH, which also serves the libraries' own dependencies (zlib under libpng).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32 -Wl,--disable-new-dtags -Wl,-rpath,$lib:$sysroot/lib/i386-linux-gnu -Wl,-rpath-link,$lib:$sysroot/lib/i386-linux-gnu")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(CMAKE_FIND_ROOT_PATH "$sysroot")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOT

cmake -S "$root" -B "$build/tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$build/toolchain.cmake" -DKAROVEL_WINDOW=OFF -DKAROVEL_TESTS=ON >/dev/null
cmake --build "$build/tree" --parallel "$jobs"
# Byte 4 of an ELF header is its class: 1 for 32-bit.
[[ $(od -An -tx1 -j4 -N1 "$build/tree/bin/karovel-rmp") == " 01" ]] || { echo "not a 32-bit build"; exit 1; }
cd "$build/tree"
ctest --output-on-failure --timeout 900 -j "$jobs"
