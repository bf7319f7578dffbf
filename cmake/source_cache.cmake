# The cache of Debian source packages that scripts/fetch_source.sh fills:
# $QK_SOURCE_CACHE, else ${XDG_CACHE_HOME:-~/.cache}/qk_revkeeper/sources.
if(NOT "$ENV{QK_SOURCE_CACHE}" STREQUAL "")
  set(qk_default_cache "$ENV{QK_SOURCE_CACHE}")
elseif(NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
  set(qk_default_cache "$ENV{XDG_CACHE_HOME}/qk_revkeeper/sources")
else()
  set(qk_default_cache "$ENV{HOME}/.cache/qk_revkeeper/sources")
endif()
set(QK_SOURCE_CACHE "${qk_default_cache}" CACHE PATH "Unpacked Debian source packages")

# Sets `var` to the unpacked source of the Debian package `package`, or
# stops the configuration saying how to fetch it.
function(qk_source_package var package)
  set(dir "${QK_SOURCE_CACHE}/${package}")
  if(NOT EXISTS "${dir}/.unpacked")
    message(FATAL_ERROR "The Debian source package ${package} is not in ${QK_SOURCE_CACHE}: "
                        "run scripts/fetch_source.sh ${package} (scripts/setup.sh does)")
  endif()
  set(${var} "${dir}" PARENT_SCOPE)
endfunction()
