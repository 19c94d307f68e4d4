#include "shell/message_catalogue.h"

#include <algorithm>
#include <iterator>

namespace {

struct Entry {
  int id;
  const char* text;
};

// Sorted by number.
constexpr Entry kCatalogue[] = {
    {61446, "The filed can not be blank"},
    {61447, "The Shared Secret of RADIUS Server can not be empty"},
    {61448, "The Lenth of key must be %1 %2 number "},
    {61449, "The Network Key and Confirm Key are not matched."},
    {61450, "Wrong Email Address !"},
    {61451, "There are some invalid characters !"},
    {61452, "The first character and last character can't be blank."},
    {61716, "The length of the passphrase should be %1~%2"},
    {61717, "The PassPhrase and Confirm PassPhrase are not matched "},
    {61718, "The shared secret of RADIUS server can not be empty"},
    {61719, "Invalid IP Address!"},
    {61720, "Invalid Time Internal Range!"},
    {61721, "Invalid Gateway Address!"},
    {61722, "Invalid Subnet Mask!"},
    // Texts of the DHCP server, account and VLAN pages that no code shows.
    {61729, "Static IP Pool Adding"},
    {61730, "Static IP Pool Setting"},
    {61731, "The dynamic ip address is invalid"},
    {61732, "The dynamic submask is invalid"},
    {61733, "The dynamic wins is invalid"},
    {61734, "The dynamic geteway is invalid"},
    {61735, "The dynamic dns is invalid"},
    {61736, "The range of  dynamic pool  should be %1~%2"},
    {61737, "The lease Time of dynamic  should be %1~%2"},
    {61738, "The range of  dynamic pool  is invalid"},
    {61739, "The dhcp dynamic ip pool will cover Static ip"},
    {61740, "The static ip address is invalid"},
    {61741, "The static wins is invalid"},
    {61742, "The static mask is invalid"},
    {61743, "The static geteway is invalid"},
    {61744, "The static dns is invalid"},
    {61745, "The static ip address has already existed"},
    {61746, "The static mac address has already existed"},
    {61747, "The static mac is invalid"},
    {61748, "The dhcp static IP pool will cover dynamic ip"},
    {61749, "The length of the name should be %1~%2"},
    {61750, "The length of the password should be %1~%2"},
    {61751, "The account name have been exists already"},
    {61752, "The VLAN name field can not be blank"},
    {61753, "The PVID value range is 1~4094."},
    {61754, "The Array Name can not be blank"},
    {61755, "The Name field can not be blank."},
    {61756, "Please Select Day(s) !"},
    {61757, "Invalid Hour !"},
    {61758, "Invalid Minute !"},
    {61759, "Invalid Time Frame!"},
    {61760, "The QOS name field can not be blank!"},
    {61761, "Invalid IP Address!"},
};

}  // namespace

QString CatalogueText(int id) {
  auto it = std::lower_bound(std::begin(kCatalogue), std::end(kCatalogue), id,
                             [](const Entry& e, int v) { return e.id < v; });
  if (it == std::end(kCatalogue) || it->id != id) return {};
  return QString::fromLatin1(it->text);
}

QString FillMessageArgs(const QString& text, const QString& arg1, const QString& arg2) {
  QString out;
  out.reserve(text.size() + arg1.size() + arg2.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'%' && i + 1 < text.size() && (text[i + 1] == u'1' || text[i + 1] == u'2')) {
      out += text[i + 1] == u'1' ? arg1 : arg2;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}
