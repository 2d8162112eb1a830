# What the build takes from src/sheet/Product.h and the changelog, so the package, the
# desktop entry and the AppStream metadata name the program as the program names itself:
#   VC_MAINTAINER     "Vellacour-Entwickler <address>", from Email
#   VC_HOMEPAGE       the web address
#   VC_APP_ID         the application ID: the web address's host reversed, then the
#                     project's name (https://vellacour.org gives org.vellacour.Vellacour)
#   VC_RELEASE_DATE   the date of the changelog's newest entry, as YYYY-MM-DD

function(vc_read_product)
    file(STRINGS ${PROJECT_SOURCE_DIR}/src/sheet/Product.h lines REGEX "(Email|WebAddress) =")
    string(REGEX MATCH "Email = \"([^\"]+)\"" _ "${lines}")
    set(email "${CMAKE_MATCH_1}")
    string(REGEX MATCH "WebAddress = \"([^\"]+)\"" _ "${lines}")
    set(homepage "${CMAKE_MATCH_1}")
    if(NOT email OR NOT homepage)
        message(FATAL_ERROR "src/sheet/Product.h names no Email or WebAddress")
    endif()
    set(VC_MAINTAINER "Vellacour-Entwickler <${email}>" PARENT_SCOPE)
    set(VC_HOMEPAGE "${homepage}" PARENT_SCOPE)

    # An ID's parts may hold only letters, digits and underscores and may not start with
    # a digit, so a hyphen in the host becomes an underscore and a part starting with a
    # digit gets one in front. A leading "www." names no one and is dropped.
    if(NOT homepage MATCHES "^[a-z]+://([^/:?#]+)")
        message(FATAL_ERROR "the web address ${homepage} names no host")
    endif()
    string(TOLOWER "${CMAKE_MATCH_1}" host)
    string(REGEX REPLACE "^www\\." "" host "${host}")
    string(REPLACE "-" "_" host "${host}")
    string(REPLACE "." ";" parts "${host}")
    list(REVERSE parts)
    list(TRANSFORM parts REPLACE "^([0-9])" "_\\1")
    list(APPEND parts ${PROJECT_NAME})
    list(JOIN parts "." id)
    if(NOT id MATCHES "^[A-Za-z_][A-Za-z0-9_]*(\\.[A-Za-z_][A-Za-z0-9_]*)+$")
        message(FATAL_ERROR "the web address ${homepage} gives no valid application ID: ${id}")
    endif()
    set(VC_APP_ID "${id}" PARENT_SCOPE)

    # The newest entry comes first; its trailer line carries an RFC 5322 date.
    file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog.in trailers REGEX "^ -- ")
    if(NOT trailers MATCHES ", ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
        message(FATAL_ERROR "packaging/changelog.in has no dated entry")
    endif()
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    list(FIND months ${CMAKE_MATCH_2} month)
    if(month LESS 0)
        message(FATAL_ERROR "packaging/changelog.in: unknown month ${CMAKE_MATCH_2}")
    endif()
    math(EXPR month "${month} + 1")
    if(month LESS 10)
        set(month "0${month}")
    endif()
    set(VC_RELEASE_DATE "${CMAKE_MATCH_3}-${month}-${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()
vc_read_product()
