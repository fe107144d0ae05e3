#include "audio/module_source.h"

#include <libopenmpt/libopenmpt.h>

namespace quarry {

namespace {

class ModuleSource : public MusicSource {
public:
  ModuleSource(openmpt_module* module, uint32_t rate) : module_(module), rate_(rate) {}
  ~ModuleSource() override { openmpt_module_destroy(module_); }
  ModuleSource(const ModuleSource&) = delete;
  ModuleSource& operator=(const ModuleSource&) = delete;

  void Restart() override { openmpt_module_set_position_seconds(module_, 0.0); }

  size_t Render(int16_t* out, size_t frames) override {
    return openmpt_module_read_interleaved_stereo(module_, static_cast<int32_t>(rate_), frames, out);
  }

private:
  openmpt_module* module_;
  uint32_t rate_;
};

}  // namespace

std::shared_ptr<MusicSource> LoadModule(std::span<const uint8_t> bytes, uint32_t outputRate,
                                        const ModuleOptions& options) {
  if (bytes.empty()) return nullptr;
  openmpt_module* module = openmpt_module_create_from_memory2(
      bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
      nullptr, nullptr, nullptr, nullptr);
  if (!module) return nullptr;
  openmpt_module_set_repeat_count(module, options.loop ? -1 : 0);
  // -1 is the library's own ramping, 0 switches it off.
  openmpt_module_set_render_param(module, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH,
                                  options.ramps ? -1 : 0);
  return std::make_shared<ModuleSource>(module, outputRate);
}

}  // namespace quarry
