#include "tests/support/BatchFixture.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "view/DeviceTable.h"
#include "batch/UpgradeProgress.h"
#include "quorn/FirmwareImage.h"

namespace tesmara::testing {

BatchBench::BatchBench() {
    g_mainDialog = &view;
}

BatchBench::~BatchBench() {
    dialog.m_workers.RequestStop();
    dialog.m_workers.JoinAll();
    access.JoinProgressThreads();
    g_mainDialog = nullptr;
}

std::string BatchBench::AddressOf(int index) {
    return "10.0.0." + std::to_string(index + 1);
}

void BatchBench::AddDevices(int count, bool ticked) {
    for (int i = 0; i < count; ++i) {
        DeviceRow& device = dialog.m_devices.emplace_back();
        device.shown = 1;
        device.ipText = AddressOf(static_cast<int>(dialog.m_devices.size()) - 1);
        device.tcpPort = 34567;
        const int row = AppendDeviceRow(view, &device);
        view.SetChecked(row, ticked);
    }
}

void BatchBench::PrepareRun() {
    int ticked = 0;
    for (const TableRow& row : view.Rows()) ticked += row.checked ? 1 : 0;
    dialog.m_counters.Start(ticked);
    dialog.m_addressChainSlots.assign(view.rows.size(), {});
    dialog.m_configChainSlots.assign(view.rows.size(), {});
}

void BatchBench::Run(int (*worker)(MainDialogState*)) {
    StartWorker(dialog, worker);
    ServeUntilIdle();
}

void BatchBench::ServeUntilIdle() {
    for (;;) {
        const bool idle = dialog.m_workers.Running() == 0;
        access.JoinProgressThreads();
        std::vector<PostedProgress> posted = view.TakePosted();
        for (const PostedProgress& p : posted) OnUpgradeProgress(dialog, p.kind, p.device, p.value);
        if (idle && posted.empty()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    dialog.m_workers.JoinAll();
}

void BatchBench::ScriptTransfer(const std::string& address, int32_t final) {
    access.Script(DevOp::UpgradeStart,
                  {.progress = {{1000, 500}, {-1, 100}, {0, final}}, .address = address});
}

std::vector<std::wstring> BatchBench::Lines() {
    return view.LogTexts();
}

std::vector<DevOp> BatchBench::OpsOf(const std::string& address) {
    std::vector<DevOp> ops;
    for (const DevCall& call : access.Calls()) {
        if (call.address == address) ops.push_back(call.op);
    }
    return ops;
}

std::vector<std::wstring> BatchBench::BoxTexts() {
    std::vector<std::wstring> texts;
    for (const ShownBox& box : view.boxes) texts.push_back(box.text);
    return texts;
}

std::string WriteImageFile(const std::string& path, uintmax_t size) {
    uint8_t header[quorn::kImageHeaderSize] = {'Q', 'F', 'W', 'I', quorn::kImageFormat};
    const uint32_t crc = quorn::Crc32(0, header, quorn::kImageHeaderCrcAt);
    for (int i = 0; i < 4; ++i) header[quorn::kImageHeaderCrcAt + i] = uint8_t(crc >> (8 * i));
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<char*>(header), sizeof header);
    std::filesystem::resize_file(path, size);
    return path;
}

}  // namespace tesmara::testing
