#pragma once

namespace comport {

// How the on-board host controller ended a transaction, as its status
// register shows it (SMBus::LastTransactionEnd).
enum class HostTransactionEnd {
  Completed,        // the controller ran the transaction and flagged no error
  NotAcknowledged,  // device error: nobody acknowledged the address, or a byte was refused
  Collision,        // the controller lost the bus to another master, or a line was held
  Failed,           // the controller refused or killed the transaction
  Busy,             // the controller did not finish within its wait
  Unreadable,       // the status register could not be read
  None,             // no transaction has run since the process started, or there is no controller
};

}  // namespace comport
