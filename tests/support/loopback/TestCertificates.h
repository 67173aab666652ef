// Certificates made at test time: a certificate authority, a server certificate it signed
// for the given host names and 127.0.0.1, and a second server certificate signed by an
// authority nobody trusts.
#pragma once
#include <string>
#include <vector>

namespace pelvartest {

struct PemPair {
  std::string certificate;
  std::string key;
};

struct TestCertificates {
  std::string authority;  // PEM of the trusted authority's certificate
  PemPair trusted;        // signed by that authority
  PemPair untrusted;      // signed by an authority of its own
};

// Made once per process (the key generation is the slow part).
const TestCertificates& SharedTestCertificates();

// The host names every loopback server's certificate carries.
std::vector<std::string> LoopbackCertificateNames();

}  // namespace pelvartest
