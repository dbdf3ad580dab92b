#pragma once

#include "store/layout.h"

#include <cstdint>
#include <string>

namespace cm {

// A contact of the contact list.
struct ContactRecord {
    std::string user;
    std::int32_t clientId = 0;
    std::string lastName;
    std::string firstName;
    std::string addressLine1;
    std::string addressLine2;
    std::string addressLine3;
    std::string postalCode;
    std::string workdayPhone;
    std::string homeEveningPhone;
    std::string fax;
    std::string otherPhone;
    std::string email;
    std::string webSite;
    std::string contactCategory;
    std::string notes;

    friend bool operator==(const ContactRecord&, const ContactRecord&) = default;
};

const Layout& contactLayout();

}  // namespace cm
