#!/usr/bin/env bash
# Installs Tessal Desktop for the member who runs it, or removes it again.
#
#   install-user.sh [FOLDER]     install from FOLDER: a build folder (it is installed with
#                                `cmake --install`) or an installation folder such as the
#                                unpacked release archive. Without FOLDER: the folder of this
#                                script when it holds the programs, else the repository's
#                                build/ (or $TESSAL_BUILD_DIR).
#   install-user.sh --uninstall  remove everything the installation added; the member's
#                                downloaded lessons are kept unless the member says otherwise.
#
# The programs write into their own folder (logs, caches, UserInfo.ini, updates into New/),
# so they go into the member's $XDG_DATA_HOME/tessal (default ~/.local/share/tessal), with
# menu entries, icons and the ".tessal" file type registered for the member alone. A
# reinstall replaces what the release ships (the list .install-user.shipped beside this
# script) and keeps the member's data, also when the source folder holds a member's files.
set -euo pipefail

readonly prog_id="TessalClient.tessal.1.0" # the names the client itself registers the type under
readonly mime_type="application/x-tessal"
readonly type_comment="TessalClient Interpretation Files"
readonly apps=(TessalClient TessalPlayer)
readonly shipped_name=".install-user.shipped"
readonly required=(TessalClient TessalPlayer TessalUpdata TessalUpdataCodes libAPlayer.so
  libAPlayerCaller.so libewe.so libxldl.so cache/cache.dll codecs/Course.dll Site.ini
  "$shipped_name")
# Shipped seeds of the member's own data: copied only where the member has none yet.
readonly member_files=(cache/cache.dll codecs/Course.dll)
# What the installs made outside the installation folder, and the member's own default
# for the type before the first install ("mime-default=..."), restored at the uninstall.
readonly manifest_name=".install-user.created"
readonly saved_default_key="mime-default="

fail() {
  echo "install-user.sh: $*" >&2
  exit 1
}

# An XDG base folder: the variable when it holds an absolute path, else the default.
xdg_folder() {
  local value=$1 fallback=$2
  if [[ $value == /* ]]; then
    while [[ $value == /*/ ]]; do
      value=${value%/}
    done
    printf '%s\n' "$value"
  else
    printf '%s\n' "$HOME/$fallback"
  fi
}

[[ ${HOME:-} == /* ]] || fail "HOME is not set to an absolute path"
data_home=$(xdg_folder "${XDG_DATA_HOME:-}" .local/share)
config_home=$(xdg_folder "${XDG_CONFIG_HOME:-}" .config)
# The desktop tools this script runs read the same folders, never a relative one.
export XDG_DATA_HOME=$data_home XDG_CONFIG_HOME=$config_home
target="$data_home/tessal"
manifest="$target/$manifest_name"
applications="$data_home/applications"
mime_packages="$data_home/mime/packages"
mimeapps="$config_home/mimeapps.list"
script_folder=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# A build is installed into a staging folder of this run; one a killed run left is removed
# by the next.
staging_prefix="${TMPDIR:-/tmp}"
staging_prefix="${staging_prefix%/}/tessal-install-user."
staging=""
temporary="" # the file being written, removed when the run is stopped
created=""   # the uninstall's copy of the manifest
made_outside=()

cleanup_run() {
  if [[ -n $temporary ]]; then
    rm -f -- "$temporary"
  fi
  if [[ -n $staging ]]; then
    rm -rf -- "$staging"
  fi
  if [[ -n $created ]]; then
    rm -f -- "$created"
  fi
}
trap cleanup_run EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# --- helpers -----------------------------------------------------------------------

# Notes the folders made outside the installation in its manifest as soon as it exists, so
# that the uninstall removes exactly those (when they are empty by then), also after a
# killed install.
note_made_folders() {
  [[ ${#made_outside[@]} -gt 0 && -d $target ]] || return 0
  printf '%s\n' "${made_outside[@]}" >>"$manifest" 2>/dev/null ||
    fail "cannot write into $target: the folder is read-only"
  made_outside=()
}

# Makes a folder and its missing parents.
make_folder() {
  local folder=$1 missing=()
  while [[ ! -d $folder ]]; do
    missing=("$folder" "${missing[@]}")
    folder=$(dirname "$folder")
  done
  local made
  for made in "${missing[@]}"; do
    mkdir -- "$made" 2>/dev/null ||
      fail "cannot make the folder $made: $(dirname "$made") is read-only or not a folder"
    if [[ $made != "$target" && $made != "$target"/* ]]; then
      made_outside+=("$made")
    fi
    note_made_folders
  done
}

# A temporary file beside the file it will replace.
new_temporary() {
  temporary=$(mktemp "$1.XXXXXX" 2>/dev/null) ||
    fail "cannot write into $(dirname "$1"): the folder is read-only"
}

# Removes the temporaries a killed run left beside files it writes: the file's name and
# six letters or digits, as mktemp makes them.
remove_stray_temporaries() {
  local file stray
  for file; do
    for stray in "$file".??????; do
      if [[ ${stray##*.} =~ ^[A-Za-z0-9]{6}$ && -f $stray && ! -L $stray ]]; then
        rm -f -- "$stray"
      fi
    done
  done
}

# Writes stdin to a file through a temporary file in its folder and a rename.
write_file() {
  local file=$1
  make_folder "$(dirname "$file")"
  new_temporary "$file"
  cat >"$temporary"
  chmod 0644 "$temporary"
  mv -f -- "$temporary" "$file"
  temporary=""
}

# Copies one file keeping its mode (the run bits of programs and plugins), replacing the
# target by a rename so that a running program keeps its old file.
copy_file() {
  local from=$1 file=$2
  new_temporary "$file"
  cp --preserve=mode,timestamps -f -- "$from" "$temporary" ||
    fail "cannot copy $from to $file"
  mv -f -- "$temporary" "$file"
  temporary=""
}

# A desktop entry's string value: backslashes and control characters escaped.
desktop_string() {
  local text=$1
  text=${text//\\/\\\\}
  text=${text//$'\n'/\\n}
  text=${text//$'\t'/\\t}
  text=${text//$'\r'/\\r}
  [[ $text == " "* ]] && text="\\s${text:1}"
  printf '%s\n' "$text"
}

# An Exec value as the client writes it: the program's path, quoted only when it holds a
# character the format reserves (simple readers take the first word as the program), "%"
# doubled; then the field code, if any (" %f": the opened file).
desktop_exec() {
  local path=$1 field=${2:-} argument reserved=$' \t\n"\'\\><~|&;$*?#()`'
  argument=${path//%/%%}
  if [[ $path == *["$reserved"]* ]]; then
    argument=${argument//\\/\\\\}
    argument=${argument//\"/\\\"}
    argument=${argument//\`/\\\`}
    argument=${argument//\$/\\\$}
    argument="\"$argument\""
  fi
  desktop_string "$argument${field:+ $field}"
}

# Processes of this member whose program lies in the installation folder. The kernel
# gives the programs' canonical paths, so the folder's is compared (a symbolic link in
# HOME, a trailing slash in XDG_DATA_HOME).
running_programs() {
  local exe found="" real_target path
  real_target=$(realpath -e -- "$target" 2>/dev/null) || return 0
  for exe in /proc/[0-9]*/exe; do
    path=$(readlink -- "$exe" 2>/dev/null) || continue
    if [[ $path == "$real_target"/* ]]; then
      found+="  $(basename -- "$path") (process ${exe//[^0-9]/})"$'\n'
    fi
  done
  printf '%s' "$found"
}

refuse_while_running() {
  local running
  running=$(running_programs)
  [[ -z $running ]] || fail "close these programs of $target first:"$'\n'"$running"
}

run_quietly() {
  command -v "$1" >/dev/null || return 0
  "$@" >/dev/null 2>&1 || true
}

# The type's value in a mimeapps.list's [Default Applications], empty when it has none.
mime_default() {
  [[ -f $1 ]] || return 0
  awk -v key="$mime_type" '
    /^[[:space:]]*\[/ { section = $0; sub(/^[[:space:]]*\[/, "", section); sub(/\].*$/, "", section); next }
    section == "Default Applications" && index($0, "=") {
      name = substr($0, 1, index($0, "=") - 1); gsub(/[[:space:]]/, "", name)
      if (tolower(name) != key) next
      value = substr($0, index($0, "=") + 1); gsub(/^[[:space:]]+|[[:space:]]+$/, "", value)
      print value; exit
    }' "$1"
}

# Edits the type's keys of a mimeapps.list. "set": our entry becomes the default. "forget":
# our entry leaves the default and the added associations, a key left empty goes, and the
# default becomes $3 (the member's own before the install) where ours was the only one.
edit_mime_list() {
  awk -v mode="$1" -v key="$mime_type" -v entry="$prog_id.desktop" -v restore="${3:-}" '
    function add_default() {
      if (mode == "set" && in_default && !done) { print key "=" entry; done = 1 }
    }
    /^[[:space:]]*\[/ {
      add_default()
      section = $0; sub(/^[[:space:]]*\[/, "", section); sub(/\].*$/, "", section)
      in_default = section == "Default Applications"; in_added = section == "Added Associations"
      print; next
    }
    (in_default || in_added) && index($0, "=") {
      name = substr($0, 1, index($0, "=") - 1); gsub(/[[:space:]]/, "", name)
      if (tolower(name) != key) { print; next }
      if (mode == "set") {
        if (!in_default) print
        else if (!done) { print key "=" entry; done = 1 }
        next
      }
      value = substr($0, index($0, "=") + 1); sub(/\r$/, "", value)
      n = split(value, items, ";"); kept = ""; removed = 0
      for (i = 1; i <= n; i++) {
        item = items[i]; gsub(/^[[:space:]]+|[[:space:]]+$/, "", item)
        if (item == entry) removed = 1
        else if (item != "") kept = kept (kept == "" ? "" : ";") item
      }
      if (!removed) { print; next }
      if (kept == "" && in_default) kept = restore
      else if (kept != "" && value ~ /;[[:space:]]*$/) kept = kept ";"
      if (kept != "") print name "=" kept
      next
    }
    { print }
    END {
      add_default()
      if (mode == "set" && !done) { print "[Default Applications]"; print key "=" entry }
    }' "$2"
}

# Replaces a mimeapps.list's text by stdin's, keeping its mode; a symbolic link stays one
# (its target is written).
replace_mime_list() {
  local file
  file=$(realpath -m -- "$1")
  make_folder "$(dirname "$file")"
  new_temporary "$file"
  cat >"$temporary"
  if [[ -e $file ]]; then
    chmod --reference="$file" -- "$temporary"
  else
    chmod 0644 "$temporary"
  fi
  mv -f -- "$temporary" "$file"
  temporary=""
}

# Takes our entry out of a mimeapps.list (see edit_mime_list); a plain file left without
# any key is removed.
forget_default() {
  local list=$1 text
  [[ -f $list ]] || return 0
  remove_stray_temporaries "$(realpath -m -- "$list")"
  text=$(edit_mime_list forget "$list" "${2:-}")
  if [[ ! -L $list && $text != *=* ]]; then
    rm -f -- "$list"
  elif [[ $text != "$(cat -- "$list")" ]]; then
    replace_mime_list "$list" <<<"$text"
  fi
}

# --- install -------------------------------------------------------------------------

# Removes the staging folders of runs that were killed; one without its run's process id
# yet is left for a minute (its run may have just made it).
remove_stale_staging() {
  local folder pid
  for folder in "$staging_prefix"*; do
    [[ -d $folder && ! -L $folder && -O $folder ]] || continue
    pid=$(cat -- "$folder/run" 2>/dev/null) || pid=""
    if [[ $pid =~ ^[0-9]+$ ]]; then
      ! kill -0 "$pid" 2>/dev/null || continue
    elif [[ -z $(find "$folder" -maxdepth 0 -mmin +1) ]]; then
      continue
    fi
    rm -rf -- "$folder"
  done
}

# Sets `source_folder` to a complete installation folder made from the argument.
resolve_source() {
  local given=${1:-}
  if [[ -z $given ]]; then
    if [[ -x $script_folder/TessalClient ]]; then
      given=$script_folder
    else
      given=${TESSAL_BUILD_DIR:-$(dirname "$script_folder")/build}
    fi
  fi
  [[ -d $given ]] || fail "$given: no such folder"
  given=$(cd "$given" && pwd)
  if [[ -f $given/CMakeCache.txt ]]; then
    remove_stale_staging
    staging=$(mktemp -d "${staging_prefix}XXXXXX") || fail "cannot make a folder in ${TMPDIR:-/tmp}"
    echo "$$" >"$staging/run"
    echo "Installing the build in $given ..."
    cmake --install "$given" --prefix "$staging/tree" >/dev/null ||
      fail "cmake --install $given failed; build it first (ninja -C $given)"
    source_folder=$staging/tree
  else
    source_folder=$given
  fi
  local file
  for file in "${required[@]}"; do
    [[ -e $source_folder/$file ]] || fail "$given is not a complete installation: $file is missing"
  done
}

is_member_file() {
  local file
  for file in "${member_files[@]}"; do
    [[ $1 == "$file" ]] && return 0
  done
  return 1
}

# Sets `shipped_folders` and `shipped_files` from the source's list of what the release
# ships; an entry leading out of the folder is refused.
read_shipped() {
  local entry
  shipped_folders=()
  shipped_files=()
  while IFS= read -r entry; do
    [[ -n $entry ]] || continue
    if [[ $entry == /* || /$entry/ == */../* || /$entry/ == */./* ]]; then
      fail "$source_folder/$shipped_name: '$entry' lies outside the installation"
    fi
    if [[ $entry == */ ]]; then
      shipped_folders+=("${entry%/}")
    else
      shipped_files+=("$entry")
    fi
  done <"$source_folder/$shipped_name"
}

# Copies what the release ships, and nothing else of the source folder: an unpacked
# archive the programs ran in holds a member's files (UserInfo.ini, LoadList.ini, logs,
# downloads) that must not replace the installed member's. The shipped seeds of the
# member's data are copied only where the member has none yet.
copy_installation() {
  if [[ $(cd "$source_folder" && pwd -P) == $(cd "$target" && pwd -P) ]]; then
    return 0
  fi
  read_shipped
  local relative
  for relative in "${shipped_folders[@]}"; do
    make_folder "$target/$relative"
  done
  for relative in "${shipped_files[@]}"; do
    remove_stray_temporaries "$target/$relative"
    if is_member_file "$relative" && [[ -e $target/$relative ]]; then
      continue
    fi
    [[ -e $source_folder/$relative ]] ||
      fail "$source_folder is not a complete installation: $relative is missing"
    make_folder "$(dirname "$target/$relative")"
    copy_file "$source_folder/$relative" "$target/$relative"
  done
}

# The icon's size from its PNG header (width at bytes 16 to 19, big-endian).
png_width() {
  od -An -tu1 -j16 -N4 -- "$1" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }'
}

install_icons() {
  local app size
  for app in "${apps[@]}"; do
    size=$(png_width "$target/$app.png")
    [[ $size =~ ^[0-9]+$ && $size -gt 0 ]] || fail "$target/$app.png is not a PNG icon"
    make_folder "$data_home/icons/hicolor/${size}x$size/apps"
    copy_file "$target/$app.png" "$data_home/icons/hicolor/${size}x$size/apps/$app.png"
  done
  run_quietly touch "$data_home/icons/hicolor"
}

write_menu_entries() {
  write_file "$applications/TessalClient.desktop" <<EOF
[Desktop Entry]
Type=Application
Name=TessalClient
Comment=Courses of the Tessal site: log in, learn online, download lessons
Comment[zh_CN]=Tessal 学习客户端：登录、在线学习、下载课程
Exec=$(desktop_exec "$target/TessalClient")
TryExec=$(desktop_string "$target/TessalClient")
Path=$(desktop_string "$target")
Icon=TessalClient
Terminal=false
Categories=Education;
EOF
  write_file "$applications/TessalPlayer.desktop" <<EOF
[Desktop Entry]
Type=Application
Name=TessalPlayer
Comment=Plays the Tessal lessons downloaded for offline viewing
Comment[zh_CN]=Tessal 离线课程播放器
Exec=$(desktop_exec "$target/TessalPlayer" %f)
TryExec=$(desktop_string "$target/TessalPlayer")
Path=$(desktop_string "$target")
Icon=TessalPlayer
Terminal=false
Categories=AudioVideo;Video;Player;
EOF
}

# The same MIME package and opening entry as TessalClient writes at each start, so that
# its own registration later finds them as they are.
register_file_type() {
  write_file "$mime_packages/$prog_id.xml" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
  <mime-type type="$mime_type">
    <comment>$type_comment</comment>
    <glob pattern="*.tessal"/>
  </mime-type>
</mime-info>
EOF
  write_file "$applications/$prog_id.desktop" <<EOF
[Desktop Entry]
Type=Application
Name=TessalPlayer
Comment=$type_comment
Exec=$(desktop_exec "$target/TessalPlayer" %f)
Icon=$(desktop_string "$target/TessalClient.png")
Terminal=false
NoDisplay=true
MimeType=$mime_type;
EOF
  run_quietly update-mime-database "$data_home/mime"
  run_quietly update-desktop-database "$applications"
  make_default
}

# Makes our entry the member's default for the type, as the client does, after noting the
# member's own default in the manifest for the uninstall (a reinstall keeps the noted one).
make_default() {
  local current previous=""
  current=$(mime_default "$mimeapps")
  if [[ -n $current && ";$current;" != *";$prog_id.desktop;"* ]]; then
    if [[ -f $manifest ]]; then
      previous=$(grep -v -- "^$saved_default_key" "$manifest" || true)
    fi
    write_file "$manifest" <<<"${previous:+$previous$'\n'}$saved_default_key$current"
  fi
  make_folder "$config_home"
  remove_stray_temporaries "$(realpath -m -- "$mimeapps")"
  if [[ -f $mimeapps ]]; then
    replace_mime_list "$mimeapps" <<<"$(edit_mime_list set "$mimeapps")"
  else
    replace_mime_list "$mimeapps" <<<"$(edit_mime_list set /dev/null)"
  fi
}

# The manifest, tidied: each folder once.
save_manifest() {
  local text
  text=$(LC_ALL=C sort -u -- "$manifest")
  write_file "$manifest" <<<"$text"
}

# The files a killed run may have been writing outside the installation.
remove_stray_outside() {
  local app
  for app in "${apps[@]}"; do
    remove_stray_temporaries "$applications/$app.desktop" \
      "$data_home"/icons/hicolor/*/apps/"$app".png
  done
  remove_stray_temporaries "$applications/$prog_id.desktop" "$mime_packages/$prog_id.xml" \
    "$manifest"
}

install_for_member() {
  resolve_source "${1:-}"
  if [[ -d $target ]]; then
    refuse_while_running
  fi
  make_folder "$target"
  [[ -w $target ]] || fail "cannot write into $target: the folder is read-only"
  note_made_folders
  remove_stray_outside
  copy_installation
  install_icons
  write_menu_entries
  register_file_type
  save_manifest
  echo "Tessal Desktop is installed in $target."
  echo "TessalClient and TessalPlayer are in the menu; .tessal lessons open in TessalPlayer."
}

# --- uninstall -----------------------------------------------------------------------

# The download folders inside the installation that hold any file: the default one and
# the member's choice in UserSet.ini ([Client] DownLoadFile) when it lies inside.
download_folders() {
  local chosen=""
  if [[ -f $target/UserSet.ini ]]; then
    chosen=$(awk '
      /^[[:space:]]*\[/ { in_client = tolower($0) ~ /^[[:space:]]*\[client\]/; next }
      in_client && tolower($0) ~ /^[[:space:]]*downloadfile[[:space:]]*=/ {
        sub(/^[^=]*=/, ""); print; exit
      }' "$target/UserSet.ini")
  fi
  chosen=${chosen%$'\r'}
  local folder real_target
  real_target=$(cd "$target" && pwd -P)
  for folder in "$target/TessalDownload" "${chosen%/}"; do
    [[ -n $folder && -d $folder && ! -L $folder ]] || continue
    folder=$(cd "$folder" && pwd -P)
    [[ $folder == "$real_target"/* ]] || continue
    if [[ -n $(find "$folder" -type f -print -quit) ]]; then
      printf '%s\n' "$target/${folder#"$real_target"/}"
    fi
  done | LC_ALL=C sort -u
}

# Removes everything under a folder except the kept folders (and the folders above them).
remove_except() {
  local folder=$1 entry kept keep
  shift
  for entry in "$folder"/* "$folder"/.[!.]* "$folder"/..?*; do
    [[ -e $entry || -L $entry ]] || continue
    keep=remove
    for kept in "$@"; do
      if [[ $entry == "$kept" ]]; then
        keep=all
      elif [[ $kept == "$entry"/* && -d $entry && ! -L $entry ]]; then
        keep=some
      fi
    done
    case $keep in
      remove) rm -rf -- "$entry" 2>/dev/null || fail "cannot remove $entry: a folder in it is read-only" ;;
      some) remove_except "$entry" "$@" ;;
    esac
  done
}

ask_about_downloads() {
  local folders=("$@") answer
  if [[ ${#folders[@]} -eq 0 ]]; then
    return 0
  fi
  if [[ -t 0 ]]; then
    printf 'Your downloaded lessons are in:\n'
    printf '  %s\n' "${folders[@]}"
    # End of input (Ctrl-D) answers as Enter does: keep.
    if ! read -r -p "Keep them? [Y/n] " answer; then
      echo
      answer=""
    fi
    if [[ $answer == [nN]* ]]; then
      kept_downloads=()
      return 0
    fi
  fi
  kept_downloads=("${folders[@]}")
}

remove_desktop_files() {
  local app file previous
  previous=$(sed -n "s/^$saved_default_key//p" -- "$created" | head -n 1)
  remove_stray_outside
  for app in "${apps[@]}"; do
    rm -f -- "$applications/$app.desktop"
    for file in "$data_home"/icons/hicolor/*/apps/"$app".png; do
      rm -f -- "$file"
    done
  done
  rm -f -- "$applications/$prog_id.desktop" "$mime_packages/$prog_id.xml"
  # Older desktop tools keep the list among the applications.
  forget_default "$mimeapps" "$previous"
  forget_default "$applications/mimeapps.list"
  if [[ -d $mime_packages && -z $(ls -A -- "$mime_packages") ]]; then
    # Everything else in the folder is made from the packages, of which none is left.
    find "$data_home/mime" -mindepth 1 -maxdepth 1 ! -name packages -exec rm -rf -- {} +
  elif [[ -d $mime_packages ]]; then
    run_quietly update-mime-database "$data_home/mime"
  fi
  if [[ -d $applications ]]; then
    if [[ -z $(find "$applications" -name '*.desktop' -print -quit) ]]; then
      rm -f -- "$applications/mimeinfo.cache"
    else
      run_quietly update-desktop-database "$applications"
    fi
  fi
}

# The folders and files the installs made outside the installation folder, deepest first,
# each removed only when nothing else is in it by now.
remove_created_folders() {
  local made
  while IFS= read -r made; do
    if [[ $made == /* && -d $made ]]; then
      rmdir -- "$made" 2>/dev/null || true
    fi
  done < <(LC_ALL=C sort -r -- "$1")
}

uninstall_for_member() {
  created=$(mktemp) || fail "cannot make a file in ${TMPDIR:-/tmp}"
  installed=no
  if [[ -d $target ]]; then
    refuse_while_running
    [[ -w $target ]] || fail "cannot remove $target: the folder is read-only"
    if [[ -f $manifest ]]; then
      cp -- "$manifest" "$created"
    fi
    if [[ -e $target/TessalClient ]]; then
      installed=yes
    fi
  fi
  remove_desktop_files
  kept_downloads=()
  if [[ -d $target ]]; then
    local folders=()
    mapfile -t folders < <(download_folders)
    ask_about_downloads "${folders[@]}"
    remove_except "$target" "${kept_downloads[@]}"
    rmdir -- "$target" 2>/dev/null || true
  fi
  # The client's stand-in for a machine identifier when it reads none; made again at need.
  rm -f -- "$data_home/TessalMachine.ini"
  remove_created_folders "$created"
  if [[ $installed == yes ]]; then
    echo "Tessal Desktop is removed."
  else
    echo "Tessal Desktop was not installed in $target; its menu entries and file type are removed."
  fi
  if [[ ${#kept_downloads[@]} -gt 0 ]]; then
    echo "Your downloaded lessons are kept in:"
    printf '  %s\n' "${kept_downloads[@]}"
  fi
}

case ${1:-} in
  --uninstall)
    [[ $# -eq 1 ]] || fail "--uninstall takes nothing more"
    uninstall_for_member
    ;;
  -h | --help)
    sed -n '2,16p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
    ;;
  -*) fail "unknown option $1 (see --help)" ;;
  *)
    [[ $# -le 1 ]] || fail "takes one folder at most (see --help)"
    install_for_member "${1:-}"
    ;;
esac
