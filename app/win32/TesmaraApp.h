// The application object: starts the process and runs the main window modally.
#pragma once

namespace tesmara {

class CTesmaraApp {
  public:
    using SocketStart = bool (*)();

    // `startSockets` starts the sockets layer; tests hand in one that fails.
    explicit CTesmaraApp(SocketStart startSockets);

    // Returns false so that the process ends when the main window closes.
    bool InitInstance();

    // The profile key name the application announces; nothing is ever stored under it.
    const wchar_t* RegistryKey() const { return m_registryKey; }

  private:
    SocketStart m_startSockets;
    const wchar_t* m_registryKey = nullptr;
};

}  // namespace tesmara
