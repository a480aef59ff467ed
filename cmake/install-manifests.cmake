# Run by CPack once the zip is made (CPACK_POST_BUILD_SCRIPTS): writes, beside it, the winget
# manifest set (winget/, the multi-file form: version, installer, default locale) and the
# Scoop manifest (quillet.json), both carrying the zip's SHA-256. The CPACK_QUILLET_*
# variables come from the project's CMakeLists.txt through CPackConfig.cmake.
cmake_minimum_required(VERSION 3.25)

# A YAML double-quoted scalar is JSON's string syntax, so one quoting serves both manifests.
function(quillet_quote out text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  string(ASCII 1 first)
  string(ASCII 31 last)
  string(REGEX MATCH "[${first}-${last}]" control "${text}")
  if(control)
    message(FATAL_ERROR "a manifest value holds a control character: ${text}")
  endif()
  set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

set(zip "")
foreach(file IN LISTS CPACK_PACKAGE_FILES)
  if(file MATCHES "\\.zip$")
    set(zip "${file}")
  endif()
endforeach()
if(NOT zip)
  message(FATAL_ERROR "no zip among the packages made: ${CPACK_PACKAGE_FILES}")
endif()
# The zip is still in CPack's working folder; CPack copies it to the package folder next.
set(dir "${CPACK_PACKAGE_DIRECTORY}")
get_filename_component(zip_name "${zip}" NAME)
file(SHA256 "${zip}" sha256)

set(version "${CPACK_PACKAGE_VERSION}")
# The programs lie in the zip's top folder, named after the package.
set(top "${CPACK_PACKAGE_FILE_NAME}")
string(REPLACE "{version}" "${version}" url "${CPACK_QUILLET_DOWNLOAD_URL}")
string(REPLACE "{file}" "${zip_name}" url "${url}")
if(NOT url MATCHES "^https://")
  message(FATAL_ERROR "QUILLET_DOWNLOAD_URL must give an https:// address, not ${url}")
endif()

foreach(name version url top)
  quillet_quote(q_${name} "${${name}}")
endforeach()
quillet_quote(q_gui "${top}\\Quillet.exe")
quillet_quote(q_cli "${top}\\quillet-list.exe")
quillet_quote(q_publisher "${CPACK_PACKAGE_VENDOR}")
quillet_quote(q_homepage "${CPACK_PACKAGE_HOMEPAGE_URL}")
quillet_quote(q_summary "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}")
quillet_quote(q_license "${CPACK_QUILLET_LICENSE}")
string(TOUPPER "${sha256}" sha256_upper)

set(id "${CPACK_QUILLET_WINGET_ID}")
if(NOT id MATCHES "^[A-Za-z0-9-]+(\\.[A-Za-z0-9-]+)+$")
  message(FATAL_ERROR "QUILLET_WINGET_ID must be Publisher.Package, not ${id}")
endif()
set(schema "1.6.0")
set(head "PackageIdentifier: ${id}\nPackageVersion: ${q_version}\n")
set(tail "ManifestVersion: ${schema}\n")
file(REMOVE_RECURSE "${dir}/winget")

file(WRITE "${dir}/winget/${id}.yaml"
  "# yaml-language-server: $schema=https://aka.ms/winget-manifest.version.${schema}.schema.json\n"
  "${head}"
  "DefaultLocale: en-US\n"
  "ManifestType: version\n"
  "${tail}")

file(WRITE "${dir}/winget/${id}.installer.yaml"
  "# yaml-language-server: $schema=https://aka.ms/winget-manifest.installer.${schema}.schema.json\n"
  "${head}"
  "InstallerType: zip\n"
  "NestedInstallerType: portable\n"
  "NestedInstallerFiles:\n"
  "  - RelativeFilePath: ${q_gui}\n"
  "  - RelativeFilePath: ${q_cli}\n"
  "    PortableCommandAlias: quillet-list\n"
  "MinimumOSVersion: 10.0.0.0\n"
  "Installers:\n"
  "  - Architecture: x64\n"
  "    InstallerUrl: ${q_url}\n"
  "    InstallerSha256: ${sha256_upper}\n"
  "ManifestType: installer\n"
  "${tail}")

file(WRITE "${dir}/winget/${id}.locale.en-US.yaml"
  "# yaml-language-server: $schema=https://aka.ms/winget-manifest.defaultLocale.${schema}.schema.json\n"
  "${head}"
  "PackageLocale: en-US\n"
  "Publisher: ${q_publisher}\n"
  "PackageName: Quillet\n"
  "PackageUrl: ${q_homepage}\n"
  "License: ${q_license}\n"
  "ShortDescription: ${q_summary}\n"
  "Moniker: quillet\n"
  "ManifestType: defaultLocale\n"
  "${tail}")

file(WRITE "${dir}/quillet.json"
  "{\n"
  "    \"version\": ${q_version},\n"
  "    \"description\": ${q_summary},\n"
  "    \"homepage\": ${q_homepage},\n"
  "    \"license\": ${q_license},\n"
  "    \"url\": ${q_url},\n"
  "    \"hash\": \"${sha256}\",\n"
  "    \"extract_dir\": ${q_top},\n"
  "    \"bin\": \"quillet-list.exe\",\n"
  "    \"shortcuts\": [[\"Quillet.exe\", \"Quillet\"]]\n"
  "}\n")

message(STATUS "Install manifests for ${zip_name}: ${dir}/winget/, ${dir}/quillet.json")
