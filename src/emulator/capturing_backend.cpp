#include "emulator/capturing_backend.h"

namespace halvern::emu {
namespace {

/// A node whose reports are written to the capture as they pass; a failed read or write records nothing.
class CapturingNode final : public HidNode {
public:
    CapturingNode(std::unique_ptr<HidNode> inner, std::string name, std::shared_ptr<TrafficCapture> capture)
        : m_inner(std::move(inner)), m_name(std::move(name)), m_capture(std::move(capture)) {}

    [[nodiscard]] int pollFd() const override { return m_inner->pollFd(); }
    [[nodiscard]] ssize_t readReport(std::span<uint8_t> buffer) override {
        const ssize_t n = m_inner->readReport(buffer);
        if (n > 0) m_capture->recordIn(m_name, buffer.first(std::min(buffer.size(), static_cast<size_t>(n))));
        return n;
    }
    [[nodiscard]] ssize_t writeReport(std::span<const uint8_t> report) override {
        const ssize_t n = m_inner->writeReport(report);
        if (n > 0) m_capture->recordOut(m_name, report);
        return n;
    }
    [[nodiscard]] bool writeMayBlock() const override { return m_inner->writeMayBlock(); }
    [[nodiscard]] bool setOutputReport(std::span<const uint8_t> report) override {
        const bool sent = m_inner->setOutputReport(report);
        if (sent) m_capture->recordOut(m_name, report);
        return sent;
    }
    [[nodiscard]] std::vector<uint8_t> reportDescriptor() const override {
        return m_inner->reportDescriptor();
    }
    [[nodiscard]] HidAttributes attributes() const override { return m_inner->attributes(); }
    [[nodiscard]] uint16_t interfaceNumber() const override { return m_inner->interfaceNumber(); }

private:
    std::unique_ptr<HidNode> m_inner;
    std::string m_name;
    std::shared_ptr<TrafficCapture> m_capture;
};

}  // namespace

CapturingBackend::CapturingBackend(std::unique_ptr<HidBackend> inner, std::shared_ptr<TrafficCapture> capture)
    : m_inner(std::move(inner)), m_capture(std::move(capture)) {}

std::unique_ptr<HidNode> CapturingBackend::openNode(std::string_view path, bool write) {
    std::unique_ptr<HidNode> node = m_inner->openNode(path, write);
    if (!node) return nullptr;
    return std::make_unique<CapturingNode>(std::move(node), std::string(splitCollectionPath(path).node),
                                           m_capture);
}

}  // namespace halvern::emu
