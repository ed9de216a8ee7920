// Drives the registered component through IDispatch, as a script host would.
var failures = 0;
function check(condition, what) {
    if (!condition) {
        failures++;
        WScript.Echo("FAIL: " + what);
    }
}
function hex(n) {
    return "0x" + ((n < 0 ? n + 0x100000000 : n).toString(16).toUpperCase());
}

var device = new ActiveXObject("Orvane.Syncora.QEL.DeviceDataKELVRA");
var connection = new ActiveXObject("Kelvra.SimConnection");
var models = new ActiveXObject("Kelvra.SimModelDatabase");
models.SetValue("PhoneInfo.FromRes", "true");
models.SetValue("PhoneInfo.ResID", "202");

device.SetConneciton(connection, models);
check(connection.CodePage == 0, "SetConneciton sets the system code page on the agent");

device.ListDataTable();
var table = device.GetDataTable(0);
check(table === null || typeof table == "object", "GetDataTable answers after listing");

var refused = 0;
try {
    device.SetProperty("Name", "Value");
} catch (e) {
    refused = e.number;
}
check(hex(refused) == "0x80004001", "SetProperty fails with E_NOTIMPL, got " + hex(refused));

var notConnection = 0;
try {
    device.SetConneciton(models, models);
} catch (e) {
    notConnection = e.number;
}
check(hex(notConnection) == "0x80004003", "a model database is no connection, got " + hex(notConnection));

WScript.Echo(failures == 0 ? "script passed" : failures + " checks failed");
WScript.Quit(failures);
