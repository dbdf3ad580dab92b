#include "store/tables/contact_record.h"

namespace cm {

const Layout& contactLayout() {
    static const Layout layout = [] {
        using R = ContactRecord;
        Layout l;
        l.table = "Contact";
        l.prefix = "C_";
        l.version = 2;
        l.fields = {
            field<&R::user>("C_:User", FieldType::Text, 40),
            field<&R::clientId>("C_:ClientID", FieldType::Int32),
            field<&R::lastName>("C_:LastName", FieldType::Text, 30),
            field<&R::firstName>("C_:FirstName", FieldType::Text, 20),
            field<&R::addressLine1>("C_:AddressLine1", FieldType::Text, 30),
            field<&R::addressLine2>("C_:AddressLine2", FieldType::Text, 30),
            field<&R::addressLine3>("C_:AddressLine3", FieldType::Text, 30),
            field<&R::postalCode>("C_:PostalCode", FieldType::Text, 10),
            field<&R::workdayPhone>("C_:WorkdayPhone", FieldType::Text, 20),
            field<&R::homeEveningPhone>("C_:HomeEveningPhone", FieldType::Text, 20),
            field<&R::fax>("C_:Fax", FieldType::Text, 20),
            field<&R::otherPhone>("C_:OtherPhone", FieldType::Text, 20),
            field<&R::email>("C_:Email", FieldType::Text, 40),
            field<&R::webSite>("C_:WebSite", FieldType::Text, 60),
            field<&R::contactCategory>("C_:ContactCategory", FieldType::Text, 20),
            field<&R::notes>("C_:Notes", FieldType::Memo, 1024),
        };
        addKey(l, "C_:KeyClientID", {"C_:ClientID"}, kKeyUnique | kKeyPrimary);
        addKey(l, "C_:KeyUserClientID", {"C_:User", "C_:ClientID"});
        addKey(l, "C_:KeyLastName", {"C_:LastName", "C_:FirstName", "C_:PostalCode"});
        addKey(l, "C_:KeyFirstName", {"C_:FirstName", "C_:LastName", "C_:PostalCode"});
        addKey(l, "C_:KeyWorkPhone", {"C_:WorkdayPhone"});
        addKey(l, "C_:KeyHomePhone", {"C_:HomeEveningPhone"});
        addKey(l, "C_:KeyFaxNumber", {"C_:Fax"});
        addKey(l, "C_:KeyEmail", {"C_:Email"});
        addKey(l, "C_:KeyCategory", {"C_:ContactCategory", "C_:LastName", "C_:FirstName"});
        return l;
    }();
    return layout;
}

}  // namespace cm
