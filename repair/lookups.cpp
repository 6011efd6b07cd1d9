#include "repair/lookups.h"

#include "repair/registry.h"
#include "repair/tax_rate_writer.h"

namespace drelbin {
namespace {

const AnsiString kControlFileName = "CDCCTL.DAT";

LookupResult Lookup(registry::Root root, const AnsiString& key, const AnsiString& value,
                    AnsiString (*control_file)(const AnsiString&)) {
  TRegistry reg(root);
  if (!reg.OpenKeyReadOnly(key)) return lrNoKey;
  const AnsiString text = reg.ReadString(value);
  if (text.empty()) return lrNoPath;
  // The key stays open while the writer runs; the accessor closes it.
  return WriteTaxRateTable(control_file(text)) == wrDone ? lrRepaired : lrWriteFailed;
}

}  // namespace

AnsiString ControlFileFromDisplayIcon(const AnsiString& display_icon) {
  return ExtractFilePath(display_icon) + "Data\\" + kControlFileName;
}

AnsiString ControlFileFromCommonDataPath(const AnsiString& common_data_path) {
  return common_data_path + kControlFileName;
}

LookupResult RepairFromUninstallEntry() {
  return Lookup(registry::Root::LocalMachine, kUninstallKey, kDisplayIconValue,
                ControlFileFromDisplayIcon);
}

LookupResult RepairFromCommonDataPath() {
  return Lookup(registry::Root::CurrentUser, kSettingsKey, kCommonDataPathValue,
                ControlFileFromCommonDataPath);
}

}  // namespace drelbin
