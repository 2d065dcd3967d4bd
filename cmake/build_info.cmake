# Writes generated/common/build_info.h from common/build_info.h.in and
# generated/common/page_images.cpp from common/images/.

# The version as the programs show it: "3.7.03", the patch number in two digits.
set(VANTOR_VERSION_SHORT "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
set(_patch "${PROJECT_VERSION_PATCH}")
if(_patch STREQUAL "")
    set(_patch 0)
endif()
if(_patch LESS 10)
    set(_patch "0${_patch}")
endif()
set(VANTOR_VERSION_TEXT "${VANTOR_VERSION_SHORT}.${_patch}")

# Settings become C++ string literals: escape what would end one.
function(vantor_c_string out value)
    string(REPLACE "\\" "\\\\" value "${value}")
    string(REPLACE "\"" "\\\"" value "${value}")
    string(REPLACE "\n" "\\n" value "${value}")
    set(${out} "${value}" PARENT_SCOPE)
endfunction()
foreach(setting VANTOR_HOME_PAGE VANTOR_SUPPORT_FORUM VANTOR_AUTHOR_EMAIL VANTOR_IMAGE_BASE_URL
        VANTOR_AUTHOR_NAME)
    vantor_c_string(${setting}_C "${${setting}}")
endforeach()

set(VANTOR_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${PROJECT_SOURCE_DIR}/common/build_info.h.in
    ${VANTOR_GENERATED_DIR}/common/build_info.h @ONLY)

# The pages' own images as bytes, turned into data: URIs at run time.
set(_images_cpp "#include \"common/page_images.h\"\n\nnamespace vantor {\n\nnamespace {\n")
set(_functions "")
foreach(entry "logo;image/jpeg;Vantor-logo.jpg" "alive;image/png;alive.png" "dead;image/png;dead.png")
    list(GET entry 0 name)
    list(GET entry 1 mime)
    list(GET entry 2 file)
    set(path ${PROJECT_SOURCE_DIR}/common/images/${file})
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${path})
    file(READ ${path} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
    string(APPEND _images_cpp "const char k_${name}[] = {${bytes}};\n")
    string(APPEND _functions
        "QByteArray ${name}ImageUri() {\n"
        "    static const QByteArray uri = dataUri(\"${mime}\", k_${name}, sizeof k_${name});\n"
        "    return uri;\n}\n")
endforeach()
string(APPEND _images_cpp
    "\nQByteArray dataUri(const char* mime, const char* bytes, qsizetype size) {\n"
    "    return QByteArray(\"data:\") + mime + \";base64,\" + QByteArray(bytes, size).toBase64();\n"
    "}\n\n} // namespace\n\n${_functions}\n} // namespace vantor\n")
file(CONFIGURE OUTPUT ${VANTOR_GENERATED_DIR}/common/page_images.cpp CONTENT "${_images_cpp}" @ONLY)
