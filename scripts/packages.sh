# Debian 12 packages, by name. Sourced by run.sh and test.sh.

# What building and launching the program needs.
CORVANTA_BUILD_PACKAGES=(
    cmake g++ make
    qt6-base-dev qt6-qpa-plugins qt6-wayland qt6-svg-dev
    libx11-dev
    unixodbc-dev
    rapidjson-dev libfontconfig-dev
)

# ---------------------------------------------------------------------------------------------
# What the tests need on top of the build: the end-to-end desktop, formatting, and whatever a
# feature's tests need. A feature that needs another package for its tests adds it HERE.
# (The database server and ODBC drivers come from scripts/testdb/install.sh, which test.sh runs:
# the server's package needs setting up before it is installed.)
CORVANTA_TEST_PACKAGES=(
    xvfb xauth x11-utils x11-xkb-utils xdotool xclip imagemagick trayer jwm
    dbus-daemon fonts-dejavu-core
    at-spi2-core
    xfce4-panel libglib2.0-bin weston wl-clipboard
    clang-format git desktop-file-utils
    appstream lintian dpkg-dev file man-db
    time
    # scripts/sanitize.sh and scripts/fuzz.sh: clang with its sanitizer and libFuzzer runtimes,
    # the symbolizer that puts names on their reports, and ccache for every build.
    clang-14 libclang-rt-14-dev llvm-14 ccache
)
# ---------------------------------------------------------------------------------------------
