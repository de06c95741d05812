# SPDX-License-Identifier: ISC
#
# crlines_fix_entries(DIR): whatever the builder's umask, folders and
# programs under DIR become 0755 and other files 0644; and when
# SOURCE_DATE_EPOCH is set, as for a release, every entry is dated by it,
# even where the clock is behind or ahead of it.
function(crlines_fix_entries dir)
  execute_process(COMMAND chmod -R u=rwX,go=rX "${dir}" COMMAND_ERROR_IS_FATAL ANY)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    execute_process(COMMAND find "${dir}" -exec touch -h -d "@$ENV{SOURCE_DATE_EPOCH}" {} +
      COMMAND_ERROR_IS_FATAL ANY)
  endif()
endfunction()
