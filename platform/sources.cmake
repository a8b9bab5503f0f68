set(TOL_PLATFORM_SOURCES
  platform/os_posix.cpp
  platform/profile_ini.cpp
  platform/ui_terminal.cpp
)
