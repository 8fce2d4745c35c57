# The Debian package: `cpack -G DEB` in the build folder installs into /usr.
set(CPACK_PACKAGE_NAME brennoquill)
set(CPACK_PACKAGE_VENDOR "Brennoquill developers")
set(CPACK_PACKAGE_CONTACT "Brennoquill developers <developers@brennoquill.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Java web project generator (Struts 2, Spring, Hibernate), Chinese interface")
set(CPACK_PACKAGE_DESCRIPTION
    "Models projects, classes and members in a small SQLite database and writes
a complete Struts 2 + Spring + Hibernate web project from the model:
configuration files, Hibernate mappings, domain, DAO and Action classes,
pages and a Maven build. The window brennoquill and the headless command
brennoquill-cli share the same generator.")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt 6 libraries of Debian 12 that the executables link, the SQLite driver the database
# is opened with, and the fonts the Chinese interface needs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 11), libqt6core6 (>= 6.4), \
libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6sql6 (>= 6.4), libqt6sql6-sqlite (>= 6.4), \
fonts-noto-cjk")
# Importing a database of the earlier Windows version reads it with mdb-export; importing
# the tables of a MariaDB/MySQL or PostgreSQL database needs Qt's drivers of them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "mdbtools, libqt6sql6-mysql, libqt6sql6-psql")
include(CPack)
