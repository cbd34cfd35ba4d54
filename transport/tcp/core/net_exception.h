// The exception tree of the socket library. The class tells the cause, the
// message tells it in words; nothing in the library reports a failure by a
// return code.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "platform/runtime/exceptions.h"
#include "platform/runtime/format.h"
#include "transport/tcp/core/net_resource_strings.h"

namespace net {

class ENetException : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

// A class reference: raises an exception of the class it was made for with a
// given text (a reply's text, for instance).
using TNetExceptionClass = void (*)(const rtl::String& message);
template <class E>
[[noreturn]] void RaiseWithText(const rtl::String& message) {
  throw E(message);
}
template <class E>
constexpr TNetExceptionClass NetExceptionClass() {
  return &RaiseWithText<E>;
}

#define NET_EXCEPTION_CLASS(Name, Base) \
  class Name : public Base {            \
   public:                              \
    using Base::Base;                   \
  };

// Failures that are part of normal operation (a graceful close by the peer).
NET_EXCEPTION_CLASS(ENetSilentException, ENetException)
NET_EXCEPTION_CLASS(ENetConnClosedGracefully, ENetSilentException)
NET_EXCEPTION_CLASS(ENetSocketHandleError, ENetException)
NET_EXCEPTION_CLASS(ENetPackageSizeTooBig, ENetSocketHandleError)
NET_EXCEPTION_CLASS(ENetNotAllBytesSent, ENetSocketHandleError)
NET_EXCEPTION_CLASS(ENetCouldNotBindSocket, ENetSocketHandleError)
NET_EXCEPTION_CLASS(ENetCanNotBindPortInRange, ENetSocketHandleError)
NET_EXCEPTION_CLASS(ENetInvalidPortRange, ENetSocketHandleError)
NET_EXCEPTION_CLASS(ENetCannotSetIPVersionWhenConnected, ENetSocketHandleError)

class ENetSocketError : public ENetException {
 public:
  using ENetException::ENetException;
  ENetSocketError(std::int32_t code, const rtl::String& message) : ENetException(message), LastError(code) {}
  std::int32_t LastError = 0;
};
NET_EXCEPTION_CLASS(ENetNotASocket, ENetSocketError)

NET_EXCEPTION_CLASS(ENetStackError, ENetException)
NET_EXCEPTION_CLASS(ENetIPVersionUnsupported, ENetStackError)
NET_EXCEPTION_CLASS(ENetStackInitializationFailed, ENetStackError)
NET_EXCEPTION_CLASS(ENetStackSetSizeExceeded, ENetStackError)
NET_EXCEPTION_CLASS(ENetInvalidServiceName, ENetException)
NET_EXCEPTION_CLASS(ENetInvalidIPv6Address, ENetException)

// Binding or loading the system socket library failed.
class ENetWinsockStubError : public ENetException {
 public:
  using ENetException::ENetException;
  // Title := format filled with the arguments; with a non-zero code the
  // message is Title + ": " + the system's text for the code.
  static ENetWinsockStubError CreateWithCode(std::uint32_t code, std::u16string_view titleFormat,
                                             std::initializer_list<rtl::FormatArg> args);
  std::uint32_t ErrorCode = 0;
  rtl::String ErrorCodeText;
  rtl::String Title;
};

NET_EXCEPTION_CLASS(ENetAlreadyConnected, ENetException)
NET_EXCEPTION_CLASS(ENetHostRequired, ENetException)
NET_EXCEPTION_CLASS(ENetPortRequired, ENetException)
NET_EXCEPTION_CLASS(ENetConnectTimeout, ENetException)
NET_EXCEPTION_CLASS(ENetConnectException, ENetException)
NET_EXCEPTION_CLASS(ENetNotConnected, ENetException)
NET_EXCEPTION_CLASS(ENetClosedSocket, ENetException)
NET_EXCEPTION_CLASS(ENetReadTimeout, ENetException)
NET_EXCEPTION_CLASS(ENetReadLnMaxLineLengthExceeded, ENetException)
NET_EXCEPTION_CLASS(ENetReadLnWaitMaxAttemptsExceeded, ENetException)
NET_EXCEPTION_CLASS(ENetMaxCaptureLineExceeded, ENetException)
NET_EXCEPTION_CLASS(ENetTCPConnectionError, ENetException)
NET_EXCEPTION_CLASS(ENetObjectTypeNotSupported, ENetTCPConnectionError)
NET_EXCEPTION_CLASS(ENetNoDataToRead, ENetTCPConnectionError)
NET_EXCEPTION_CLASS(ENetFileNotFound, ENetTCPConnectionError)
NET_EXCEPTION_CLASS(ENetIOHandler, ENetException)
NET_EXCEPTION_CLASS(ENetIOHandlerRequiresLargeStream, ENetIOHandler)
NET_EXCEPTION_CLASS(ENetIOHandlerStreamDataTooLarge, ENetIOHandler)
NET_EXCEPTION_CLASS(ENetNotEnoughDataInBuffer, ENetException)
NET_EXCEPTION_CLASS(ENetTooMuchDataInBuffer, ENetException)
NET_EXCEPTION_CLASS(ENetInterceptCircularLink, ENetException)
NET_EXCEPTION_CLASS(ENetReplyError, ENetException)

class ENetReplyRFCError : public ENetReplyError {
 public:
  using ENetReplyError::ENetReplyError;
  ENetReplyRFCError(std::int32_t code, const rtl::String& message) : ENetReplyError(message), ErrorCode(code) {}
  std::int32_t ErrorCode = 0;
};

NET_EXCEPTION_CLASS(ENetTransparentProxyCantBind, ENetException)
NET_EXCEPTION_CLASS(ENetTransparentProxyCircularLink, ENetException)
NET_EXCEPTION_CLASS(ENetTransparentProxyUDPNotSupported, ENetException)
NET_EXCEPTION_CLASS(ENetSocksUDPNotSupportedBySOCKSVersion, ENetException)
NET_EXCEPTION_CLASS(ENetSocksError, ENetException)
NET_EXCEPTION_CLASS(ENetSocksRequestFailed, ENetSocksError)
NET_EXCEPTION_CLASS(ENetSocksRequestServerFailed, ENetSocksError)
NET_EXCEPTION_CLASS(ENetSocksRequestIdentFailed, ENetSocksError)
NET_EXCEPTION_CLASS(ENetSocksUnknownError, ENetSocksError)
NET_EXCEPTION_CLASS(ENetSocksServerRespondError, ENetSocksError)
NET_EXCEPTION_CLASS(ENetSocksAuthMethodError, ENetSocksError)
NET_EXCEPTION_CLASS(ENetSocksAuthError, ENetSocksError)
NET_EXCEPTION_CLASS(ENetSocksServerGeneralError, ENetSocksError)
NET_EXCEPTION_CLASS(ENetSocksServerPermissionError, ENetSocksError)
NET_EXCEPTION_CLASS(ENetSocksServerNetUnreachableError, ENetSocksError)
NET_EXCEPTION_CLASS(ENetSocksServerHostUnreachableError, ENetSocksError)
NET_EXCEPTION_CLASS(ENetSocksServerConnectionRefusedError, ENetSocksError)
NET_EXCEPTION_CLASS(ENetSocksServerTTLExpiredError, ENetSocksError)
NET_EXCEPTION_CLASS(ENetSocksServerCommandError, ENetSocksError)
NET_EXCEPTION_CLASS(ENetSocksServerAddressError, ENetSocksError)

#undef NET_EXCEPTION_CLASS

// Raises E with the current text of a message-table entry, formatted with
// the fixed English settings when arguments are given.
rtl::String NetText(std::string_view entry, std::initializer_list<rtl::FormatArg> args = {});
template <class E>
[[noreturn]] void RaiseNet(std::string_view entry, std::initializer_list<rtl::FormatArg> args = {}) {
  throw E(NetText(entry, args));
}

}  // namespace net
