#include "repair/repair_command.h"

#include "repair/lookups.h"
#include "repair/messages.h"

namespace drelbin {

const AnsiString& SelectResultMessage(std::int32_t first, std::int32_t second) {
  return (first == lrRepaired || second == lrRepaired) ? messages::kRepaired : messages::kNotFound;
}

void RunRepairCommand(RepairCommandHost& host) {
  const LookupResult first = RepairFromUninstallEntry();
  const LookupResult second = RepairFromCommonDataPath();
  host.ShowResultMessage(SelectResultMessage(first, second));
  host.CloseDialog();
}

}  // namespace drelbin
