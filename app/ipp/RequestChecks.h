#pragma once

#include <pappl/pappl.h>

// The IPP operation callback: checks who asks (app/ipp/OperationAuthority.h)
// and what a request would store or print before PAPPL handles it. Refuses, answering the request itself (and
// returning true), a vendor setting's default outside its values
// (Set-Printer-Attributes, Create-Printer), an unknown driver or an unusable
// device URI (Create-Printer) and a document format the printer cannot
// print (Print-Job, Validate-Job, Send-Document). A job's vendor value
// outside the setting's values refuses Validate-Job (and any job asking for
// attribute fidelity); Print-Job and Create-Job go on without it, which the
// answer reports.
bool CheckRequest(pappl_client_t* client, void* data);
