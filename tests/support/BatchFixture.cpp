#include "tests/support/BatchFixture.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "quorn/FirmwareImage.h"
#include "view/DeviceTable.h"

namespace tesmara::testing {

void RecordingBatchStatus::DeviceFinished(const BatchDevice& device, bool succeeded,
                                          int32_t cause) {
    std::lock_guard hold(m_lock);
    finishes[device.row].push_back({succeeded, cause});
}

void RecordingBatchStatus::DeviceNotStarted(const BatchDevice& device) {
    std::lock_guard hold(m_lock);
    notStarted.push_back(device.row);
}

void RecordingBatchStatus::RunFinished(const BatchTally& tally, const char* completion) {
    {
        std::lock_guard hold(m_lock);
        ++runFinishes;
    }
    m_window.RunFinished(tally, completion);
}

BatchBench::BatchBench() {
    job.keepOwnAddress = false;
}

BatchBench::~BatchBench() {
    if (dialog.m_run) dialog.m_run->RequestStop();
    access.JoinProgressThreads();
    if (dialog.m_run) dialog.m_run->Stop();
    dialog.m_workers.RequestStop();
    dialog.m_workers.JoinAll();
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
        if (ticked) job.devices.push_back({device.macText, device.ipText, device.tcpPort, row});
    }
}

BatchRun& BatchBench::Prepare(BatchKind kind) {
    job.kind = kind;
    dialog.m_run = std::make_shared<BatchRun>(job, BatchPorts{access, clock, view, status});
    dialog.m_run->StartCounting();
    return *dialog.m_run;
}

void BatchBench::Run(BatchKind kind) {
    job.kind = kind;
    dialog.m_run = std::make_shared<BatchRun>(job, BatchPorts{access, clock, view, status});
    dialog.m_run->Start();
    ServeUntilIdle();
}

void BatchBench::ServeUntilIdle() {
    for (;;) {
        const bool idle = RunningThreads(dialog) == 0;
        access.JoinProgressThreads();
        const size_t ran = view.posted.Drain();
        if (idle && ran == 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    dialog.m_workers.JoinAll();
    if (dialog.m_run) dialog.m_run->JoinAll();
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
