#!/usr/bin/env bash
# The program starts without the libraries of the backends it loads on first use: OLA's (with
# protobuf) and Qt's network stack (with Kerberos and the proxy library) come only with their
# modules. The modules need them instead, and sit outside the folder that seeds a hall.
#   late_libraries.sh PROGRAM MODULE_FOLDER
set -euo pipefail
program=$1 modules=$2
late='lib(ola|olacommon|protobuf|Qt6Network|Qt6HttpServer|Qt6WebSockets|gssapi_krb5|krb5|proxy)\.so'
status=0

needed() { readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p'; }
direct=$(needed "$program")
[ -n "$direct" ] || { echo "readelf found no libraries in $program"; exit 1; }
if grep -E "^$late" <<<"$direct"; then
  echo "^ named by $program itself"; status=1
fi
# Nor through a library it links: ldd resolves the whole tree the loader would map.
if ldd "$program" | grep -E "$late"; then
  echo "^ loaded with $program at its start"; status=1
fi

for expected in dancehall-ola.so:libola.so dancehall-remote.so:libQt6HttpServer.so \
                dancehall-remote.so:libQt6WebSockets.so; do
  module=$modules/${expected%%:*} library=${expected#*:}
  if [ ! -f "$module" ]; then
    echo "missing module $module"; status=1
  elif ! needed "$module" | grep -q "^$library"; then
    echo "$module does not name $library"; status=1
  fi
done

if find "$(dirname "$program")" -name '*.so*' | grep .; then
  echo "^ a module among the shipped defaults would be copied into every new hall"; status=1
fi
exit $status
