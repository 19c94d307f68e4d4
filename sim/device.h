// One simulated KAV-7420: its configuration document, its runtime values and
// tables, the values it derives, and what a SET does to it.  Knows nothing of
// sockets; the agent (agent.h) turns requests into calls of this class.
#pragma once

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "device/model.h"
#include "sim/scenario.h"
#include "sim/transfer.h"
#include "sim/xmlconfig.h"

namespace kav::sim {

using Clock = std::chrono::steady_clock;

// A value as it travels: integers and counters in `integer`, strings and IP
// addresses in `bytes`.
struct Value {
  u_char type = ASN_INTEGER;
  long integer = 0;
  std::string bytes;
};

// Requests and answers of one device since the simulator started.
struct Stats {
  uint64_t received = 0;   // datagrams, malformed ones included
  uint64_t answered = 0;
  uint64_t malformed = 0;
};

class Device {
 public:
  // An instance the device serves: object and row (0 for a scalar).
  struct Instance {
    std::vector<oid> name;
    const device::ObjectDef* def = nullptr;
    uint32_t row = 0;
  };
  // A checked assignment of a SET.
  struct Assignment {
    const Instance* instance;
    Value value;
  };

  // stateDir is the device's own folder (DIR/<address>); rereadScenario
  // gives the device's settings from the scenario file as it is now (for the
  // client refresh and the neighbour scan), std::nullopt if it cannot be read.
  Device(uint32_t address, std::string stateDir,
         std::function<std::optional<DeviceSettings>()> rereadScenario = {});

  // Loads DIR/<address>/config.xml, or creates it from the default document,
  // the device's own address (<wan><rg><inf id=1><static><ipaddr>) and the
  // scenario's initial values.  Fills the runtime tables.  A firmware image
  // written before the simulator stopped runs now (the device was off).
  bool open(const DeviceSettings& settings, std::string* error);
  // Takes new runtime values and knobs (the configuration stays as it is).
  void applySettings(const DeviceSettings& settings);

  uint32_t address() const { return address_; }
  const std::string& addressText() const { return addressText_; }
  const DeviceSettings& settings() const { return settings_; }
  const ConfigDoc& config() const { return config_; }
  std::string configPath() const { return stateDir_ + "/config.xml"; }

  std::string readCommunity() const;
  std::string writeCommunity() const;

  // True while the device does not answer: restarting or told to be silent.
  bool silent(Clock::time_point now) const;
  // Whether to ignore this request at random (drop_percent).
  bool dropThisOne();

  // The served instances in OID order.
  const std::vector<Instance>& instances();
  const Instance* find(const oid* name, size_t len);
  // The first instance after name, nullptr at the end of the tree.
  const Instance* next(const oid* name, size_t len);
  // An object of the model whose OID is a prefix of name.
  const device::ObjectDef* objectOf(const oid* name, size_t len) const;

  Value read(const Instance& in);
  // Checks one assignment; returns SNMP_ERR_NOERROR or the SNMPv2 error.
  int check(const Instance& in, const netsnmp_variable_list& vb, Value* out) const;
  // Applies checked assignments together, saves the configuration and runs
  // the commands among them.  SNMP_ERR_NOERROR, or SNMP_ERR_COMMITFAILED
  // when the configuration could not be saved (nothing is changed then).
  int apply(const std::vector<Assignment>& assignments, std::string* error = nullptr);

  // The running firmware; a firmware upgrade changes it for good.
  const std::string& firmwareVersion() const { return firmware_; }
  bool setFirmwareVersion(const std::string& version, std::string* error = nullptr);

  // Replaces the whole configuration (factory defaults, a restored backup)
  // and saves it.
  bool replaceConfig(const ConfigDoc& doc, std::string* error = nullptr);
  // Goes silent for restart_seconds; the up time starts again afterwards.
  // A firmware image written by a transfer runs from now on; a transfer
  // under way is abandoned.
  void restart();
  // A device reports the address it is reached on, with a gateway on its
  // own /24 network (the default mask), so its LAN settings are consistent.
  void setOwnLanAddress(ConfigDoc& config) const;

  // Takes the outcome of a finished transfer and runs a restart that has
  // come due.  The server calls it before it handles a request and when a
  // transfer worker wakes it, always on the SNMP thread.
  void tick(Clock::time_point now);
  // Called from a transfer worker's thread when its outcome is ready.
  void setWakeup(std::function<void()> wake) { wake_ = std::move(wake); }

  Stats stats;

 private:
  std::optional<std::string> xmlText(const char* path, uint32_t row = 0) const;
  long xmlInt(const char* path, uint32_t row, long fallback) const;
  int radioBand(uint32_t row) const;  // 0 2.4 GHz, 1 5 GHz
  size_t clientsOnBand(int band) const;
  uint64_t radioMac(uint32_t row) const;
  Value runtimeValue(const device::ObjectDef& def, uint32_t row) const;
  Value derivedValue(const device::ObjectDef& def, uint32_t row) const;
  void runCommand(long command);
  void startTransfer();
  void commitTransfer(TransferOutcome outcome);
  void setTransferResult(long status, std::string message);
  std::string writtenText(const char* where) const;
  std::string statePath(const char* name) const { return stateDir_ + "/" + name; }
  void rereadClients();
  void rereadNeighbours();
  bool saveConfig(std::string* error);

  uint32_t address_;
  std::string addressText_;
  std::string stateDir_;
  std::function<std::optional<DeviceSettings>()> rereadScenario_;
  DeviceSettings settings_;
  ConfigDoc config_;
  std::string firmware_;
  std::vector<ClientEntry> clients_;
  std::vector<NeighbourEntry> neighbours_;
  long scanBand_ = 0;
  // Writable runtime values without an action of their own keep what was
  // last written (until the simulator stops), keyed by "where" and row.
  std::map<std::pair<std::string, uint32_t>, Value> written_;
  Clock::time_point bootTime_ = Clock::now();
  Clock::time_point restartUntil_{};
  // File transfers: the worker, what transferStatus and transferMessage
  // read, the image written to flash, and a restart the device has
  // announced.
  TransferWorker transfer_;
  long transferStatus_ = kTransferIdle;
  std::string transferMessage_;
  std::string writtenFirmware_;
  std::optional<Clock::time_point> restartAt_;
  std::function<void()> wake_;
  std::vector<Instance> instances_;
  bool instancesDirty_ = true;
  std::mt19937 random_;
};

}  // namespace kav::sim
