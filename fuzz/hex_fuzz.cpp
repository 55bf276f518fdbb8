// A firmware file in Intel HEX form as the firmware update window and vorelctl hex
// read it, for the controller and for the trigger units: the load, the window's
// texts and the order the programmer sends the blocks in. Whatever a file holds, an
// accepted one describes only code inside the unit's memory and every block the
// programmer sends lies inside the loaded image.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "Require.h"
#include "core/firmware/IntelHex.h"

namespace {

using namespace vorel;

void LoadFor(std::string_view text, const FirmwareTarget& target) {
  const Loaded<FirmwareImage, FirmwareRefusal> load = LoadIntelHex(text, target);
  if (!load) {
    Require(!load.why.text.empty(), "a refused file without a reason");
    return;
  }
  const FirmwareImage& image = *load;
  Require(image.bytes.size() == firmware::kImageSize, "an image of another size");
  Require(image.codeStart <= image.codeEnd && image.codeEnd < target.memorySize,
          "code outside the unit's memory");
  Require(image.roundedEnd <= target.memorySize && image.roundedEnd % target.pageSize == 0,
          "a transfer end outside the memory or off a page boundary");
  (void)AddressText(image.codeStart);
  (void)AddressText(image.codeEnd);
  (void)CodeUsedText(image, target);
  (void)ChecksumText(image.codeSum);
  (void)ChecksumText(image.displaySum);

  const BlockOrder order = FirmwareBlockOrder(image, target);
  for (const auto* blocks : {&order.beforeEnd, &order.firstPage}) {
    for (const uint16_t address : *blocks) {
      Require(address + firmware::kBlockSize <= image.bytes.size(), "a block past the image");
      Require(address < target.memorySize, "a block past the unit's memory");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  LoadFor(text, kControllerTarget);
  LoadFor(text, kTriggerTarget);
  return 0;
}
